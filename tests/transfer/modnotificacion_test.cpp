#include "transfer/modnotificacion.h"

#include "tests/support/scripted_operator.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using ModNotificacion::Rect;

// A popup that records what the procedure does to it.
class PopupGrabado : public ModNotificacion::Popup {
public:
    PopupGrabado(std::optional<Rect> barra, QSize pantalla = {28800, 16200})
        : barra_(barra), pantalla_(pantalla) {}

    int Height() const override { return height; }
    void setHeight(int v) override {
        height = v;
        ++cambiosDeAlto;
    }
    int Width() const override { return width; }
    void setWidth(int v) override { width = v; }
    int Top() const override { return top; }
    void setTop(int v) override { top = v; }
    void Move(int l, int t) override {
        left = l;
        top = t;
        movido = true;
    }
    void setOpacidad(std::uint8_t o) override { opacidad = o; }
    void MuestraEncima() override { ++mostrado; }
    void Descarga() override { ++descargado; }
    QSize Pantalla() const override { return pantalla_; }
    std::optional<Rect> BarraDeTareas() const override { return barra_; }

    int height = 1000, width = 3000, left = 0, top = 0;
    int opacidad = -1, mostrado = 0, descargado = 0, cambiosDeAlto = 0;
    bool movido = false;

private:
    std::optional<Rect> barra_;
    QSize pantalla_;
};

TEST(MuestraNotificacionTest, ThePopupLandsInTheCornerBesideTheTaskbar) {
    zxtest::ScriptedOperator op;
    struct Case {
        const char* name;
        std::optional<Rect> barra;
        int left, top;
    } cases[] = {
        {"bottom", Rect{0, 1040, 1920, 1080}, 22425, 13410},
        {"right", Rect{1856, 0, 1920, 1080}, 28800 - 6375 - 960, 16200 - 2190},
        {"left", Rect{0, 0, 64, 1040}, 960, 16200 - 2190},
        {"top", Rect{0, 0, 1920, 40}, 28800 - 6375, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PopupGrabado form(c.barra);
        ModNotificacion::MuestraNotificacion(form, 0, 220, 5, 6375, 2190);
        EXPECT_EQ(form.width, 6375);
        EXPECT_EQ(form.height, 2190);  // already taller than it grows to: shown at once
        EXPECT_EQ(form.left, c.left);
        EXPECT_EQ(form.top, c.top);
        EXPECT_EQ(form.opacidad, 220);
        EXPECT_EQ(form.mostrado, 1);
        EXPECT_EQ(form.descargado, 0);
    }
}

TEST(MuestraNotificacionTest, WithoutATaskbarThePopupKeepsItsSizeInTheBottomRightCorner) {
    zxtest::ScriptedOperator op;
    PopupGrabado form(std::nullopt);
    form.height = 1600;
    ModNotificacion::MuestraNotificacion(form, 0, 220, 5, 6375, 2190);
    EXPECT_EQ(form.width, 3000);
    EXPECT_EQ(form.height, 1600);
    EXPECT_EQ(form.left, 28800 - 3000);
    EXPECT_EQ(form.top, 16200 - 1600);
}

TEST(MuestraNotificacionTest, AShortPopupGrowsUpwardWithItsBottomInPlace) {
    zxtest::ScriptedOperator op;
    PopupGrabado form(Rect{0, 1040, 1920, 1080});
    ModNotificacion::MuestraNotificacion(form, 0, 200, 5, 6000, 1500);
    // 1500, 1505, … 1515 still grow; 1520 stops.
    EXPECT_EQ(form.height, 1520);
    EXPECT_EQ(form.top + form.height, 16200 - 600);
}

TEST(MuestraNotificacionTest, HidingShrinksInStepsAndUnloads) {
    zxtest::ScriptedOperator op;
    struct Case {
        const char* name;
        Rect barra;
        bool topFixed;
    } cases[] = {
        {"bottom: the bottom edge stays", {0, 1040, 1920, 1080}, false},
        {"top: the top edge stays", {0, 0, 1920, 40}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PopupGrabado form(c.barra);
        ModNotificacion::MuestraNotificacion(form, 0, 220, 5, 6375, 2190);
        const int top = form.top;
        const int bottom = form.top + form.height;
        form.cambiosDeAlto = 0;
        ModNotificacion::MuestraNotificacion(form, 1, 220, 5, 6375, 2190);
        EXPECT_EQ(form.cambiosDeAlto, 1 + 335);  // restored to 2190, then 335 steps of 5
        EXPECT_EQ(form.height, 515);
        EXPECT_EQ(form.descargado, 1);
        if (c.topFixed)
            EXPECT_EQ(form.top, top);
        else
            EXPECT_EQ(form.top + form.height, bottom);
    }
}

}  // namespace
