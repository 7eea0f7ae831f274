#pragma once

#include "Fixture.h"

namespace korva::test {

// Patent 4321 with its send folder, folios 001-500 and today being day 45;
// no centre.
struct OficinaEnvio : Fixture {
    QString envio;
    OficinaEnvio() {
        envio = carpeta("env");
        st.setSlot(slot::Usuario, QStringLiteral("a4321"));
        st.setSlot(slot::DirEnvio, envio);
        st.setSlot(slot::FolioInferior, QStringLiteral("001"));
        st.setSlot(slot::FolioSuperior, QStringLiteral("500"));
        st.setEtiqueta(Etiqueta::DiaJuliano, QStringLiteral("45"));
    }
    QString pend() const { return envio + "/Pend"; }
};

} // namespace korva::test
