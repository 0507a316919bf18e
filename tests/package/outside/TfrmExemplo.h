#pragma once
// One screen: a label and a button that changes it.
#include "forms/TForm.h"
#include "forms/TLabel.h"
#include "library/TButtonFlat.h"

class __attribute__((visibility("default"))) TfrmExemplo : public TForm {
    Q_OBJECT
    Q_PROPERTY(TLabel* lblMensagem MEMBER lblMensagem)
    Q_PROPERTY(TButtonFlat* sbtOla MEMBER sbtOla)
public:
    using TForm::TForm;
    TLabel* lblMensagem = nullptr;
    TButtonFlat* sbtOla = nullptr;

public slots:
    void FormClose(QObject* Sender, TCloseAction& Action) { Action = caFree; }
    void sbtOlaClick(QObject* Sender) { lblMensagem->SetCaption(QStringLiteral("Olá do módulo")); }
};
