#include "transfer/ventanas.h"

namespace transfer {

namespace {

// The windows that show nothing, until the program installs its own (setVentanas).
class SinBarra : public BarraProgreso {
public:
    void setMin(int) override {}
    void setMax(int) override {}
    void setValue(int) override {}
};

class SinVentanas : public Ventanas, FrmMsgVista, NotificacionVista {
public:
    FrmMsgVista& FrmMsg() override { return *this; }
    NotificacionVista& FrmNotificacionRecepcioon() override { return *this; }
    void MuestraNotificacion(std::int32_t, std::uint8_t, std::int16_t, std::int16_t,
                             std::int16_t) override {}
    void MuestraFrmMainFTP() override {}
    void DescargaFrmMainFTP() override {}

private:
    void setLabel1(const QString&) override {}
    void setCaption(const QString&) override {}
    void setLblTitulo(const QString&) override {}
    void setLblInfo(const QString&) override {}
    BarraProgreso& pb() override { return barra_; }

    SinBarra barra_;
};

SinVentanas& ninguna() {
    static SinVentanas v;
    return v;
}

Ventanas*& actual() {
    static Ventanas* v = nullptr;
    return v;
}

}  // namespace

Ventanas& ventanas() {
    return actual() ? *actual() : ninguna();
}

Ventanas* setVentanas(Ventanas* v) {
    Ventanas* previous = actual();
    actual() = v;
    return previous;
}

}  // namespace transfer
