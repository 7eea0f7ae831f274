#pragma once

#include "DatosOficina.h"
#include "Fixture.h"

namespace korva::test {

// The office (DatosOficina.h) with no centre, its day shown on the Status page.
struct OficinaEnvio : Fixture {
    QString envio;
    OficinaEnvio() {
        envio = oficina::describe(st, tmp.path()).envio;
        st.pantalla().setEtiqueta(Etiqueta::DiaJuliano, QString::number(oficina::kDia));
    }
    QString pend() const { return envio + "/Pend"; }
};

} // namespace korva::test
