#pragma once

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QString>

// A photo field: shows the picture held in a column as the Base64 text of
// a JPEG, and gives back that text (a null text when there is no photo).
// The record editor binds it like any other field.
class TAVPhotoLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QString photo READ photo WRITE setPhoto USER true)

public:
    static constexpr int kMaxWidth = 400;
    static constexpr int kMaxHeight = 300;

    explicit TAVPhotoLabel(QWidget *parent = nullptr);

    QString photo() const { return m_photo; }
    // The stored text as it is; false when it does not decode to a picture.
    bool setPhoto(const QString &base64);
    // A new picture, scaled down to fit 400 x 300 and kept as JPEG (95).
    void setImage(const QImage &image);
    void clearPhoto();
    bool hasPhoto() const { return !m_photo.isNull(); }
    QSize photoSize() const { return m_size; }
    void setPlaceholder(const QPixmap &placeholder);

    static QImage fitted(const QImage &image);
    static QString encode(const QImage &image);

Q_SIGNALS:
    void photoChanged();

private:
    void showPlaceholder();

    QString m_photo;
    QSize m_size;
    QPixmap m_placeholder;
};
