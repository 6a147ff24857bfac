#include "TAVPhotoLabel.h"

#include <QBuffer>

TAVPhotoLabel::TAVPhotoLabel(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(kMaxWidth, kMaxHeight);
    m_placeholder = QPixmap(QStringLiteral(":/grafika/brak_zdjecia"));
    showPlaceholder();
}

void TAVPhotoLabel::setPlaceholder(const QPixmap &placeholder)
{
    m_placeholder = placeholder;
    if (!hasPhoto())
        showPlaceholder();
}

void TAVPhotoLabel::showPlaceholder()
{
    m_size = QSize();
    if (m_placeholder.isNull())
        clear();
    else
        setPixmap(m_placeholder);
}

bool TAVPhotoLabel::setPhoto(const QString &base64)
{
    m_photo = base64;
    if (base64.isNull()) {
        showPlaceholder();
        return true;
    }
    QImage image;
    const bool ok = image.loadFromData(QByteArray::fromBase64(base64.toLatin1()));
    if (!ok) {
        showPlaceholder();
        return false;
    }
    m_size = image.size();
    setPixmap(QPixmap::fromImage(image));
    return true;
}

QImage TAVPhotoLabel::fitted(const QImage &image)
{
    if (image.width() <= kMaxWidth && image.height() <= kMaxHeight)
        return image;
    return image.scaled(kMaxWidth, kMaxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QString TAVPhotoLabel::encode(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return QString::fromLatin1(bytes.toBase64());
}

void TAVPhotoLabel::setImage(const QImage &image)
{
    const QImage scaled = fitted(image);
    m_photo = encode(scaled);
    m_size = scaled.size();
    setPixmap(QPixmap::fromImage(scaled));
    Q_EMIT photoChanged();
}

void TAVPhotoLabel::clearPhoto()
{
    m_photo = QString();
    showPlaceholder();
    Q_EMIT photoChanged();
}
