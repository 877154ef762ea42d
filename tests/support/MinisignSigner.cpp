#include "support/MinisignSigner.h"

#include <QDateTime>
#include <QStandardPaths>

#include <sodium.h>

#include <array>

namespace menu::test {

namespace {

struct FixedPair {
    const char *name;
    const char *publicKey;
    const char *secretKey; // minisign's unencrypted secret key file, its second line
};

// Made by minisign 0.11 with -G -W.
constexpr std::array<FixedPair, 2> kPairs{{
    {"a", "RWTYfydFpTxyywIniKNG1q7AJKY/MBw96mOQPgaGvKdg/85m5msRlEjZ",
     "RWQAAEIyAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA2H8nRaU8csv4dXkjO90"
     "ckgvzb+9RI46hxgI/u25wg/aaWGjfwrHMZwIniKNG1q7AJKY/MBw96mOQPgaGvKdg/85m5msRlEjZAAAAAAAAAAAAAAA"
     "AAAAAAAAAAAAAAAAAAAAAAAAAAAA="},
    {"b", "RWR/t55qr7RyvzlvT1GdO/6x3BbjSqqTXPQcaZ7eUmBvUBoUO1n5PrBu",
     "RWQAAEIyAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAf7eeaq+0cr/DzAI7RCU"
     "wC7gK0Ypwr3BEUHP25fLUec89eSFJLFfl3zlvT1GdO/6x3BbjSqqTXPQcaZ7eUmBvUBoUO1n5PrBuAAAAAAAAAAAAAAA"
     "AAAAAAAAAAAAAAAAAAAAAAAAAAAA="},
}};

// In the secret key: algorithm, KDF and checksum names (6), salt (32), limits (16), then the
// key number (8) and the Ed25519 secret key (64).
constexpr qsizetype kKeyNumberAt = 54;
constexpr qsizetype kKeyNumberSize = 8;
constexpr qsizetype kSecretKeyAt = kKeyNumberAt + kKeyNumberSize;

const FixedPair *pairNamed(const QString &name)
{
    for (const FixedPair &pair : kPairs) {
        if (name == QLatin1String(pair.name))
            return &pair;
    }
    return nullptr;
}

QByteArray signedBy(const QByteArray &secretKey, const QByteArray &bytes)
{
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char *>(bytes.constData()),
                         static_cast<unsigned long long>(bytes.size()),
                         reinterpret_cast<const unsigned char *>(secretKey.constData()));
    return signature;
}

} // namespace

QString minisignProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("minisign"));
}

QByteArray minisignPublicKey(const QString &name)
{
    const FixedPair *pair = pairNamed(name);
    return pair != nullptr ? QByteArray(pair->publicKey) : QByteArray();
}

QByteArray minisignSecretKeyFile(const QString &name)
{
    const FixedPair *pair = pairNamed(name);
    return pair != nullptr ? "untrusted comment: minisign encrypted secret key\n" +
                                 QByteArray(pair->secretKey) + '\n'
                           : QByteArray();
}

QByteArray minisignSignature(const QString &name, const QByteArray &message,
                             const QString &trustedComment, MinisignFormat format)
{
    const FixedPair *pair = pairNamed(name);
    if (pair == nullptr || sodium_init() < 0)
        return {};
    const QByteArray secret = QByteArray::fromBase64(pair->secretKey);
    const QByteArray keyNumber = secret.mid(kKeyNumberAt, kKeyNumberSize);
    const QByteArray secretKey = secret.mid(kSecretKeyAt, crypto_sign_SECRETKEYBYTES);
    const bool prehashed = format == MinisignFormat::Prehashed;
    QByteArray signedBytes = message;
    if (prehashed) {
        signedBytes = QByteArray(crypto_generichash_BYTES_MAX, '\0');
        crypto_generichash(reinterpret_cast<unsigned char *>(signedBytes.data()),
                           static_cast<std::size_t>(signedBytes.size()),
                           reinterpret_cast<const unsigned char *>(message.constData()),
                           static_cast<unsigned long long>(message.size()), nullptr, 0);
    }
    const QByteArray signature = signedBy(secretKey, signedBytes);
    const QByteArray comment =
        !trustedComment.isNull()
            ? trustedComment.toUtf8()
            : "timestamp:" + QByteArray::number(QDateTime::currentSecsSinceEpoch()) +
                  "\tfile:signed-document" + (prehashed ? "\thashed" : "");
    return "untrusted comment: signature from minisign secret key\n" +
           (QByteArray(prehashed ? "ED" : "Ed") + keyNumber + signature).toBase64() +
           "\ntrusted comment: " + comment + '\n' +
           signedBy(secretKey, signature + comment).toBase64() + '\n';
}

} // namespace menu::test
