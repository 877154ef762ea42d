#include "formats/Minisign.h"

#include <QByteArray>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <sodium.h>

namespace menu::formats {

namespace {

constexpr QByteArrayView kUntrustedPrefix = "untrusted comment: ";
constexpr QByteArrayView kTrustedPrefix = "trusted comment: ";
constexpr QByteArrayView kKeyAlgorithm = "Ed";
constexpr QByteArrayView kHashedAlgorithm = "ED";
constexpr QByteArrayView kLegacyAlgorithm = "Ed";

constexpr std::size_t kAlgorithmBytes = 2;
constexpr std::size_t kIdBytes = std::tuple_size_v<MinisignKeyId>;
constexpr std::size_t kSignatureBytes = crypto_sign_BYTES;
constexpr std::size_t kHashBytes = crypto_generichash_BYTES_MAX; // 64: BLAKE2b-512

using KeyBlob = std::array<unsigned char, kAlgorithmBytes + kIdBytes + crypto_sign_PUBLICKEYBYTES>;
using SignatureBlob = std::array<unsigned char, kAlgorithmBytes + kIdBytes + kSignatureBytes>;
using Signature = std::array<unsigned char, kSignatureBytes>;

static_assert(std::tuple_size_v<decltype(MinisignKey::key)> == crypto_sign_PUBLICKEYBYTES);

// sodium_init is safe to call from several threads; once is enough.
bool sodiumStarted()
{
    static const bool started = sodium_init() >= 0;
    return started;
}

const unsigned char *bytes(QByteArrayView view)
{
    return reinterpret_cast<const unsigned char *>(view.data());
}

// Decodes padded standard base64 that holds exactly out.size() bytes. No blanks, no text after
// the padding, and no stray bits in the last character: one text per value.
template <std::size_t N> bool decodeExactly(QByteArrayView text, std::array<unsigned char, N> &out)
{
    std::size_t length = 0;
    return sodium_base642bin(out.data(), out.size(), text.data(),
                             static_cast<std::size_t>(text.size()), nullptr, &length, nullptr,
                             sodium_base64_VARIANT_ORIGINAL) == 0 &&
           length == N;
}

QByteArrayView withoutCarriageReturn(QByteArrayView line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

// The four lines of a signature file: each ends with LF or CRLF, the last may end the file
// instead. minisign reads four lines and stops, so blank lines after them (an editor's extra
// newline) are let through; any other text after them, or fewer lines, is refused.
std::optional<std::array<QByteArrayView, 4>> fourLines(QByteArrayView file)
{
    std::array<QByteArrayView, 4> lines;
    for (QByteArrayView &line : lines) {
        if (file.isEmpty())
            return std::nullopt;
        const qsizetype end = file.indexOf('\n');
        line = withoutCarriageReturn(end < 0 ? file : file.first(end));
        file = end < 0 ? QByteArrayView() : file.sliced(end + 1);
    }
    for (const char c : file) {
        if (c != '\n' && c != '\r')
            return std::nullopt;
    }
    return lines;
}

QByteArrayView algorithmOf(const auto &blob)
{
    return QByteArrayView(blob.data(), kAlgorithmBytes);
}

MinisignKeyId idOf(const auto &blob)
{
    MinisignKeyId id;
    std::copy_n(blob.begin() + kAlgorithmBytes, kIdBytes, id.begin());
    return id;
}

bool signatureHolds(const Signature &signature, QByteArrayView signedBytes, const MinisignKey &key)
{
    return crypto_sign_verify_detached(signature.data(), bytes(signedBytes),
                                       static_cast<unsigned long long>(signedBytes.size()),
                                       key.key.data()) == 0;
}

} // namespace

std::optional<MinisignKey> parseMinisignKey(QByteArrayView text)
{
    if (text.size() > kMinisignMaxKeyText)
        return std::nullopt;
    text = text.trimmed();
    if (const qsizetype newline = text.indexOf('\n'); newline >= 0) {
        const QByteArrayView comment = withoutCarriageReturn(text.first(newline));
        if (!comment.startsWith(kUntrustedPrefix))
            return std::nullopt;
        text = text.sliced(newline + 1); // a second newline makes the base64 invalid
    }
    KeyBlob blob;
    if (!decodeExactly(text, blob) || algorithmOf(blob) != kKeyAlgorithm)
        return std::nullopt;
    MinisignKey key;
    key.id = idOf(blob);
    std::copy(blob.begin() + kAlgorithmBytes + kIdBytes, blob.end(), key.key.begin());
    return key;
}

QString minisignKeyIdText(const MinisignKeyId &id)
{
    QByteArray bigEndian(static_cast<qsizetype>(id.size()), '\0');
    std::reverse_copy(id.begin(), id.end(), bigEndian.begin());
    QByteArray hex = bigEndian.toHex().toUpper();
    while (hex.size() > 1 && hex.front() == '0')
        hex.remove(0, 1);
    return QString::fromLatin1(hex);
}

MinisignCheck verifyMinisign(QByteArrayView message, QByteArrayView signatureFile,
                             std::span<const MinisignKey> trustedKeys)
{
    MinisignCheck check; // Malformed until shown otherwise
    if (signatureFile.size() > kMinisignMaxSignatureFile)
        return check;
    const auto lines = fourLines(signatureFile);
    if (!lines)
        return check;
    const auto &[untrustedLine, signatureLine, trustedLine, globalLine] = *lines;
    SignatureBlob blob;
    Signature global;
    if (!untrustedLine.startsWith(kUntrustedPrefix) || !trustedLine.startsWith(kTrustedPrefix) ||
        !decodeExactly(signatureLine, blob) || !decodeExactly(globalLine, global))
        return check;
    const QByteArrayView algorithm = algorithmOf(blob);
    if (algorithm != kHashedAlgorithm && algorithm != kLegacyAlgorithm)
        return check;

    const MinisignKeyId id = idOf(blob);
    check.keyId = minisignKeyIdText(id);
    if (algorithm == kLegacyAlgorithm) {
        check.verdict = MinisignVerdict::Legacy;
        return check;
    }
    const auto key = std::find_if(trustedKeys.begin(), trustedKeys.end(),
                                  [&](const MinisignKey &k) { return k.id == id; });
    if (key == trustedKeys.end()) {
        check.verdict = MinisignVerdict::UnknownKey;
        return check;
    }

    if (!sodiumStarted()) {
        check.verdict = MinisignVerdict::Unchecked;
        return check;
    }
    Signature signature;
    std::copy(blob.begin() + kAlgorithmBytes + kIdBytes, blob.end(), signature.begin());
    std::array<unsigned char, kHashBytes> hash;
    crypto_generichash(hash.data(), hash.size(), bytes(message),
                       static_cast<unsigned long long>(message.size()), nullptr, 0);
    if (!signatureHolds(signature, QByteArrayView(hash.data(), kHashBytes), *key)) {
        check.verdict = MinisignVerdict::BadSignature;
        return check;
    }

    const QByteArrayView comment = trustedLine.sliced(kTrustedPrefix.size());
    QByteArray signedByGlobal(reinterpret_cast<const char *>(signature.data()), kSignatureBytes);
    signedByGlobal.append(comment);
    if (!signatureHolds(global, signedByGlobal, *key)) {
        check.verdict = MinisignVerdict::BadTrustedComment;
        return check;
    }
    check.verdict = MinisignVerdict::Good;
    check.trustedComment = QString::fromUtf8(comment);
    return check;
}

std::optional<qint64> minisignTimestamp(const QString &trustedComment)
{
    static const QLatin1String prefix("timestamp:");
    for (const QString &field : trustedComment.split(QLatin1Char('\t'))) {
        if (!field.startsWith(prefix))
            continue;
        const QString digits = field.mid(prefix.size()).trimmed();
        bool ok = false;
        const qint64 seconds = digits.toLongLong(&ok);
        if (!ok || seconds < 0 || digits.isEmpty() || !digits.front().isDigit())
            return std::nullopt;
        return seconds;
    }
    return std::nullopt;
}

} // namespace menu::formats
