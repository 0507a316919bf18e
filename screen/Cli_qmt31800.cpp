#include "Cli_qmt31800.h"

#include "TfrmDadosCliente.h"
#include "forms/TApplication.h"

namespace Cli_qmt31800 {

TfrmDadosCliente* frmDadosCliente = nullptr;
bool FormCriado = false;
bool PrimeiraAtivacao = true;
QString ListaCliente;
QString ListaRamoAtiv;
QString ListaBairro;

namespace {
int InitCount = 0;

// The hourglass goes back to the default cursor however the opening ends.
struct CursorRestore {
    ~CursorRestore() { SetScreenCursor(HostCursor::crDefault); }
};
} // namespace

void CriaDadosCliente() {
    SetScreenCursor(HostCursor::crHourGlass);
    CursorRestore restore;
    if (!FormCriado) {
        TApplication::instance().CreateForm(frmDadosCliente);
        FormCriado = true;
    }
    frmDadosCliente->Show();
}

void Initialization() {
    if (InitCount++ != 0)
        return;
    FormCriado = false;
    PrimeiraAtivacao = true;
}

void Finalization() {
    if (--InitCount != 0)
        return;
    ListaBairro.clear();
    ListaRamoAtiv.clear();
    ListaCliente.clear();
}

} // namespace Cli_qmt31800
