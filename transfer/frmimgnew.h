#pragma once

#include <QDialog>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QLabel;

// The surface a picture is painted into: cleared, then painted at a place and size.
class LienzoImagen : public QWidget {
    Q_OBJECT

public:
    explicit LienzoImagen(QWidget* parent = nullptr);
    void Cls();
    // `destino` in twips, 15 to a pixel.
    void PaintPicture(const QPixmap& imagen, const QRectF& destino);

    // What was painted last, in twips; empty after Cls.
    QRectF pintado() const { return destino_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap imagen_;
    QRectF destino_;
};

// Shows one picture file enlarged, fitted to the window and centred, and fitted again when
// the window changes size. The caller sets pImagen, shows it modally, then discards it.
class FrmImgNew : public QDialog {
    Q_OBJECT

public:
    explicit FrmImgNew(QWidget* parent = nullptr);

    // The picture's path, absolute or relative to the program folder; also the caption.
    QString pImagen;

    // Paints `img` into `destino`, fitted and centred; nothing for no picture.
    void Escalar_Imagen(const QPixmap& img, LienzoImagen& destino);

    // Controls, with their given names as object names. Image1 holds the loaded picture.
    QLabel* Image1;
    LienzoImagen* Picture1;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();

    bool loaded_ = false;
};
