// Feeds arbitrary public-key texts and signature files to the minisign reader. The first byte
// says how many of the following bytes are the key text; the rest is the signature file, checked
// against a fixed message with a fixed trusted key (the seeds hold real signatures by it) and the
// parsed key. Whatever the bytes, the verdict must agree with what the file shows: a key id
// exactly when the signature line was read, a trusted comment only when good, the same verdict
// with CRLF line ends, and a good verdict lost when the message changes.
#include "formats/Minisign.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using namespace menu::formats;

const QByteArray kMessage = "[Verzia]\nmenu=1.1.0.8\n";
const MinisignKey kTrusted =
    parseMinisignKey("RWRjEcWuxAkDPjEBgPwTqr9pp8QkE/qmowN5LgsD5pob6kQHqRKJvwIc").value();

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data + 1),
                           static_cast<qsizetype>(size - 1));
    const QByteArray keyText = input.first(std::min<qsizetype>(data[0], input.size()));
    const QByteArray file = input.sliced(keyText.size());

    std::vector<MinisignKey> keys{kTrusted};
    if (const auto key = parseMinisignKey(keyText)) {
        const QString id = minisignKeyIdText(key->id);
        check(id.size() <= 16 && id == id.toUpper() && (id == u"0" || !id.startsWith(u'0')));
        QByteArray canonical = "Ed";
        canonical.append(reinterpret_cast<const char *>(key->id.data()), 8);
        canonical.append(reinterpret_cast<const char *>(key->key.data()), 32);
        check(parseMinisignKey(canonical.toBase64()) == key);
        keys.push_back(*key);
    }

    const MinisignCheck result = verifyMinisign(kMessage, file, keys);
    check((result.verdict == MinisignVerdict::Malformed) == result.keyId.isEmpty());
    check(result.verdict == MinisignVerdict::Good || result.trustedComment.isEmpty());
    if (file.size() > kMinisignMaxSignatureFile)
        check(result.verdict == MinisignVerdict::Malformed);

    if (!file.contains('\r')) {
        const QByteArray crlf = QByteArray(file).replace("\n", "\r\n");
        if (crlf.size() <= kMinisignMaxSignatureFile)
            check(verifyMinisign(kMessage, crlf, keys).verdict == result.verdict);
    }
    if (result.verdict == MinisignVerdict::Good)
        check(verifyMinisign(kMessage + "x", file, keys).verdict == MinisignVerdict::BadSignature);
    return 0;
}
