#pragma once
// The form unit of the client report screen: its module-level state and the routine that opens the
// screen. The state belongs to the unit, not to a screen instance: the selection texts outlive a
// closed screen and are seen by the next one.
#include <QString>

class TfrmDadosCliente;

// What the module exports besides its four entries: the unit's interface and the screen class, the
// module's contract with the host's runtime, by name.
#define QMT31800_EXPORT __attribute__((visibility("default")))

namespace Cli_qmt31800 QMT31800_EXPORT {

extern TfrmDadosCliente* frmDadosCliente; // the current screen instance
extern bool FormCriado;                   // an instance exists and may be shown again
extern bool PrimeiraAtivacao;             // the first-activation work is still pending
extern QString ListaCliente;              // selection text of the client list
extern QString ListaRamoAtiv;             // selection text of the line-of-business list
extern QString ListaBairro;               // selection text of the neighbourhood list

// Creates the screen if needed and shows it.
void CriaDadosCliente();

// Unit initialisation and finalisation, guarded by the unit's initialisation counter.
void Initialization();
void Finalization();

} // namespace Cli_qmt31800
