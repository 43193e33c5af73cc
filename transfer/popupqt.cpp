#include "transfer/popupqt.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace ModNotificacion {

namespace {

constexpr int kTwips = 15;

int pixeles(int twips) {
    return static_cast<int>(std::lround(twips / double(kTwips)));
}

// The window seen in twips. Its place and size are kept in twips here and only rounded to
// pixels when applied, so small steps add up.
class PopupQt : public Popup {
public:
    PopupQt(QWidget& w, std::function<void()> descarga) : w_(w), descarga_(std::move(descarga)) {
        screen_ = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
        const QRect g = w.geometry();
        const QPoint origen = screen_ ? screen_->geometry().topLeft() : QPoint();
        left_ = (g.x() - origen.x()) * kTwips;
        top_ = (g.y() - origen.y()) * kTwips;
        width_ = g.width() * kTwips;
        height_ = g.height() * kTwips;
    }

    int Height() const override { return height_; }
    void setHeight(int twips) override {
        height_ = twips;
        aplica();
    }
    int Width() const override { return width_; }
    void setWidth(int twips) override {
        width_ = twips;
        aplica();
    }
    int Top() const override { return top_; }
    void setTop(int twips) override {
        top_ = twips;
        aplica();
    }
    void Move(int left, int top) override {
        left_ = left;
        top_ = top;
        aplica();
    }
    void setOpacidad(std::uint8_t opacidad) override { w_.setWindowOpacity(opacidad / 255.0); }
    void MuestraEncima() override {
        if (!w_.isVisible()) {
            w_.setWindowFlag(Qt::WindowStaysOnTopHint, true);
            w_.setAttribute(Qt::WA_ShowWithoutActivating);
        }
        w_.show();
        w_.raise();
    }
    void Descarga() override {
        if (descarga_)
            descarga_();
        else
            w_.hide();
    }
    QSize Pantalla() const override {
        return screen_ ? screen_->geometry().size() * kTwips : QSize();
    }
    std::optional<Rect> BarraDeTareas() const override {
        if (!screen_) return std::nullopt;
        return ModNotificacion::BarraDeTareas(screen_->geometry(), screen_->availableGeometry());
    }

private:
    void aplica() {
        const QPoint origen = screen_ ? screen_->geometry().topLeft() : QPoint();
        w_.setGeometry(origen.x() + pixeles(left_), origen.y() + pixeles(top_), pixeles(width_),
                       pixeles(height_));
    }

    QWidget& w_;
    std::function<void()> descarga_;
    QScreen* screen_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

}  // namespace

std::optional<Rect> BarraDeTareas(const QRect& pantalla, const QRect& disponible) {
    const int W = pantalla.width();
    const int H = pantalla.height();
    const QRect a = disponible.translated(-pantalla.topLeft());
    if (a.bottom() < H - 1) return Rect{0, a.bottom() + 1, W, H};
    if (a.top() > 0) return Rect{0, 0, W, a.top()};
    if (a.left() > 0) return Rect{0, 0, a.left(), H};
    if (a.right() < W - 1) return Rect{a.right() + 1, 0, W, H};
    return std::nullopt;
}

void MuestraNotificacion(QWidget& form, std::int32_t ocultar, std::uint8_t opacidad,
                         std::int16_t paso, std::int16_t ancho, std::int16_t alto,
                         const std::function<void()>& descarga) {
    PopupQt popup(form, descarga);
    MuestraNotificacion(popup, ocultar, opacidad, paso, ancho, alto);
}

}  // namespace ModNotificacion
