#pragma once

#include "transfer/ventanas.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace zxtest {

// The file-transfer windows for logic tests: every text, bar setting and popup call is
// recorded in order. Installed while it lives.
class VentanasGrabadas : public transfer::Ventanas {
public:
    struct Barra : transfer::BarraProgreso {
        int min = 0, max = 0, value = 0;
        QList<int> values;  // every value set, in order
        void setMin(int v) override { min = v; }
        void setMax(int v) override { max = v; }
        void setValue(int v) override {
            value = v;
            values << v;
        }
    };
    struct Msg : transfer::FrmMsgVista {
        QStringList label1;
        Barra barra;
        void setLabel1(const QString& t) override { label1 << t; }
        transfer::BarraProgreso& pb() override { return barra; }
    };
    struct Notificacion : transfer::NotificacionVista {
        QString caption, titulo, info;
        QStringList titulos, infos;  // every text set, in order
        Barra barra;
        std::function<void(const QString&)> alEscribirInfo;
        void setCaption(const QString& t) override { caption = t; }
        void setLblTitulo(const QString& t) override {
            titulo = t;
            titulos << t;
        }
        void setLblInfo(const QString& t) override {
            info = t;
            infos << t;
            if (alEscribirInfo) alEscribirInfo(t);
        }
        transfer::BarraProgreso& pb() override { return barra; }
    };
    struct LlamadaPopup {
        int ocultar, opacidad, paso, ancho, alto;
        bool operator==(const LlamadaPopup&) const = default;
    };

    VentanasGrabadas() : previous_(transfer::setVentanas(this)) {}
    ~VentanasGrabadas() override { transfer::setVentanas(previous_); }

    transfer::FrmMsgVista& FrmMsg() override { return msg; }
    transfer::NotificacionVista& FrmNotificacionRecepcioon() override { return notificacion; }
    void MuestraNotificacion(std::int32_t ocultar, std::uint8_t opacidad, std::int16_t paso,
                             std::int16_t ancho, std::int16_t alto) override {
        popups << LlamadaPopup{ocultar, opacidad, paso, ancho, alto};
    }
    void MuestraFrmMainFTP() override { ++ventanaMostrada; }
    void DescargaFrmMainFTP() override { ++ventanaDescargada; }

    Msg msg;
    Notificacion notificacion;
    QList<LlamadaPopup> popups;
    int ventanaMostrada = 0;
    int ventanaDescargada = 0;

private:
    transfer::Ventanas* previous_;
};

}  // namespace zxtest
