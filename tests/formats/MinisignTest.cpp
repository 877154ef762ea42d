// Keys and signatures made by the real minisign tool at run time, then checked (and tampered
// with) here.
#include "formats/Minisign.h"

#include "support/MinisignSigner.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace menu::formats;
using menu::test::TempDir;

const QByteArray kDocument = "[Verzia]\nmenu=1.1.0.8\n";
const QString kComment = QStringLiteral("timestamp:1700000000\tfile:orvan_akt.ini\tsúbor");

QByteArray changedByte(QByteArray bytes, qsizetype at)
{
    bytes[at] = bytes[at] == 'A' ? 'B' : 'A';
    return bytes;
}

class MinisignTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        tool_ = QStandardPaths::findExecutable(QStringLiteral("minisign"));
        if (tool_.isEmpty())
            GTEST_SKIP() << "no minisign program (scripts/install-deps.sh installs it)";
        dir_.write(QStringLiteral("orvan_akt.ini"), kDocument);
        for (const QString &name : {QStringLiteral("a"), QStringLiteral("b")})
            run({"-G", "-W", "-p", dir_.file(name + ".pub"), "-s", dir_.file(name + ".key")});
        pubA_ = dir_.read(QStringLiteral("a.pub"));
        a_ = parseMinisignKey(pubA_).value();
        b_ = parseMinisignKey(dir_.read(QStringLiteral("b.pub"))).value();
    }

    void run(const QStringList &arguments)
    {
        QProcess tool;
        tool.setStandardInputFile(QProcess::nullDevice());
        tool.start(tool_, arguments);
        ASSERT_TRUE(tool.waitForFinished(60'000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }

    QByteArray sign(const QString &key, const QStringList &more = {})
    {
        run(QStringList{"-S", "-s", dir_.file(key + ".key"), "-m", dir_.file("orvan_akt.ini"), "-x",
                        dir_.file("out.minisig"), "-t", kComment} +
            more);
        return dir_.read(QStringLiteral("out.minisig"));
    }

    QString tool_;
    TempDir dir_;
    QByteArray pubA_;
    MinisignKey a_, b_;
};

TEST_F(MinisignTest, KeyTextsAreReadOrRefused)
{
    const QByteArrayList lines = pubA_.split('\n');
    const QByteArray line = lines[1];
    QByteArray otherAlgorithm = QByteArray::fromBase64(line);
    otherAlgorithm[1] = 'D';

    // As minisign wrote it at the end of the comment line; one in sixteen made keys has a
    // leading zero, which minisign leaves out.
    EXPECT_EQ(minisignKeyIdText(a_.id), QString::fromLatin1(lines[0].split(' ').last()));
    EXPECT_EQ(minisignKeyIdText({0x18, 0xBD, 0x04, 0xB5, 0xE6, 0x60, 0xD5, 0x03}),
              QStringLiteral("3D560E6B504BD18"));
    EXPECT_EQ(minisignKeyIdText({}), QStringLiteral("0"));
    for (const QByteArray &text :
         {line, line + "\n", " " + line + "\r\n", lines[0] + "\r\n" + line})
        EXPECT_EQ(parseMinisignKey(text), a_) << text.toStdString();
    for (const QByteArray &text :
         {QByteArray(), line.chopped(4), line + "=", line + "AAAA", "x" + line.mid(1),
          QByteArray(line).replace(8, 1, "!"), otherAlgorithm.toBase64(), "comment: x\n" + line,
          lines[0] + "\n\n" + line, dir_.read(QStringLiteral("a.key"))})
        EXPECT_FALSE(parseMinisignKey(text)) << text.toStdString();
}

TEST_F(MinisignTest, VerdictsOnRealAndTamperedSignatures)
{
    const QString idA = minisignKeyIdText(a_.id), idB = minisignKeyIdText(b_.id);
    const QByteArray good = sign("a"), byB = sign("b"), legacy = sign("a", {"-l"});
    // minisign writes trusted comments of up to about 4 KB; the file then exceeds the cap.
    const QByteArray tooLong = sign("a", {"-t", QString(kMinisignMaxSignatureFile - 100, u'x')});
    const QByteArrayList lines = good.split('\n'); // the fifth is empty
    const auto with = [&](qsizetype index, const QByteArray &line) {
        QByteArrayList changed = lines;
        changed[index] = line;
        return changed.join('\n');
    };
    QByteArray otherAlgorithm = QByteArray::fromBase64(lines[1]);
    otherAlgorithm[0] = 'X';
    const QByteArray crlf = QByteArray(good).replace("\n", "\r\n");
    const QByteArray comment = QByteArray(good).replace(":orvan_akt.ini", ":orvan_akx.ini");
    const QByteArray signature = with(1, changedByte(lines[1], 40)); // past the key id
    const QByteArray global = with(3, changedByte(lines[3], 10));
    const QByteArray noTrusted = QByteArray(good).replace("\ntrusted comment", "\ntrusted_comment");

    struct Case {
        const char *name;
        QByteArray message;
        QByteArray signature;
        std::vector<MinisignKey> keys;
        MinisignVerdict verdict;
        QString keyId;
    };
    using enum MinisignVerdict;
    const Case cases[] = {
        {"good", kDocument, good, {a_}, Good, idA},
        {"CRLF line ends", kDocument, crlf, {a_}, Good, idA},
        {"no last newline", kDocument, good.chopped(1), {a_}, Good, idA},
        {"second key signed", kDocument, byB, {a_, b_}, Good, idB},
        {"another key", kDocument, byB, {a_}, UnknownKey, idB},
        {"no trusted keys", kDocument, good, {}, UnknownKey, idA},
        {"legacy", kDocument, legacy, {a_}, Legacy, idA},
        {"document changed", changedByte(kDocument, 3), good, {a_}, BadSignature, idA},
        {"empty document", {}, good, {a_}, BadSignature, idA},
        {"signature changed", kDocument, signature, {a_}, BadSignature, idA},
        {"trusted comment changed", kDocument, comment, {a_}, BadTrustedComment, idA},
        {"global signature changed", kDocument, global, {a_}, BadTrustedComment, idA},
        {"empty file", kDocument, {}, {a_}, Malformed, {}},
        {"truncated", kDocument, good.first(good.size() / 2), {a_}, Malformed, {}},
        {"a blank line more, as minisign takes it", kDocument, good + "\r\n\n", {a_}, Good, idA},
        {"a text line more", kDocument, good + "x\n", {a_}, Malformed, {}},
        {"a blank before the last line", kDocument, with(3, "\n" + lines[3]), {a_}, Malformed, {}},
        {"a public key", kDocument, pubA_, {a_}, Malformed, {}},
        {"unknown algorithm", kDocument, with(1, otherAlgorithm.toBase64()), {a_}, Malformed, {}},
        {"no untrusted comment", kDocument, good.mid(2), {a_}, Malformed, {}},
        {"no trusted comment", kDocument, noTrusted, {a_}, Malformed, {}},
        {"blank after base64", kDocument, with(1, lines[1] + " "), {a_}, Malformed, {}},
        {"too long", kDocument, tooLong, {a_}, Malformed, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const MinisignCheck check = verifyMinisign(c.message, c.signature, c.keys);
        EXPECT_EQ(check.verdict, c.verdict);
        EXPECT_EQ(check.keyId, c.keyId);
        EXPECT_EQ(check.trustedComment, c.verdict == Good ? kComment : QString());
    }
}

TEST(MinisignTimestamp, OnlyTheFieldMinisignWrites)
{
    EXPECT_EQ(minisignTimestamp(QStringLiteral("timestamp:1700000000\tfile:orvan_akt.ini\thashed")),
              1700000000);
    EXPECT_EQ(minisignTimestamp(QStringLiteral("file:x\ttimestamp:5")), 5);
    for (const char *comment : {"", "orvan_akt.ini", "timestamp:", "timestamp:-5", "timestamp:12x",
                                "mytimestamp:5", "file:timestamp:5", "timestamp: +5"})
        EXPECT_FALSE(minisignTimestamp(QString::fromLatin1(comment))) << comment;
}

// The other suites sign in the test process with fixed keys, wherever they run: minisign must
// make byte for byte the same signatures with those keys, and accept them.
TEST_F(MinisignTest, TheTestSignerSignsAsMinisignDoes)
{
    using menu::test::MinisignFormat;
    for (const char *name : {"a", "b"}) {
        dir_.write(QStringLiteral("fixed.pub"),
                   "untrusted comment: x\n" + menu::test::minisignPublicKey(name) + "\n");
        dir_.write(QStringLiteral("fixed.key"), menu::test::minisignSecretKeyFile(name));
        for (const MinisignFormat format : {MinisignFormat::Prehashed, MinisignFormat::Legacy}) {
            SCOPED_TRACE(testing::Message()
                         << name << (format == MinisignFormat::Legacy ? " legacy" : ""));
            const QByteArray ours =
                menu::test::minisignSignature(name, kDocument, kComment, format);
            dir_.write(QStringLiteral("fixed.minisig"), ours);
            run({"-V", "-p", dir_.file("fixed.pub"), "-m", dir_.file("orvan_akt.ini"), "-x",
                 dir_.file("fixed.minisig")});
            const QStringList legacy =
                format == MinisignFormat::Legacy ? QStringList{"-l"} : QStringList{};
            run(QStringList{"-S", "-s", dir_.file("fixed.key"), "-m", dir_.file("orvan_akt.ini"),
                            "-x", dir_.file("tool.minisig"), "-t", kComment} +
                legacy);
            EXPECT_EQ(ours.split('\n').mid(1),
                      dir_.read(QStringLiteral("tool.minisig")).split('\n').mid(1));
        }
    }
}

} // namespace
