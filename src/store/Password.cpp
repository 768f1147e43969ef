#include "store/Password.h"

#include <QByteArray>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace store {

namespace {

constexpr int kMaxIterations = 10'000'000;

// PBKDF2 (RFC 8018) with HMAC-SHA256, one 32-byte block.
QByteArray Pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password, salt, iterations, 32);
}

bool ConstantTimeEquals(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

std::u16string HashPassword(const std::u16string& password, int iterations) {
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), 4);
    const QByteArray hash = Pbkdf2(QString::fromStdU16String(password).toUtf8(), salt, iterations);
    return QStringLiteral("(PBKDF2-SHA256:%1:%2:%3)")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(hash.toBase64()))
        .toStdU16String();
}

bool VerifyPassword(const std::u16string& password, const std::u16string& stored) {
    const QString text = QString::fromStdU16String(stored);
    if (!text.startsWith(u"(PBKDF2-SHA256:") || !text.endsWith(u')'))
        return false;
    const QStringList parts = text.mid(15, text.size() - 16).split(u':');
    if (parts.size() != 3)
        return false;
    bool ok = false;
    const int iterations = parts[0].toInt(&ok);
    if (!ok || iterations < 1 || iterations > kMaxIterations)
        return false;
    const auto salt = QByteArray::fromBase64Encoding(parts[1].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const auto hash = QByteArray::fromBase64Encoding(parts[2].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !hash || salt.decoded.isEmpty() || hash.decoded.size() != 32)
        return false;
    return ConstantTimeEquals(Pbkdf2(QString::fromStdU16String(password).toUtf8(), salt.decoded, iterations),
                              hash.decoded);
}

} // namespace store
