#pragma once
// Two small forms for the framework tests: a base with its own resource, and a derived one whose
// resource holds only differences and which hooks a base handler by publishing one of the same name.
#include "core/Errors.h"
#include "forms/TCheckBox.h"
#include "forms/TComboBox.h"
#include "forms/TForm.h"
#include "forms/TGroupBox.h"
#include "forms/TRadioButton.h"

#include <QStringList>

class TTestBase : public TForm {
    Q_OBJECT
    Q_PROPERTY(TGroupBox* grbGrupo MEMBER grbGrupo)
    Q_PROPERTY(TRadioButton* rbtA MEMBER rbtA)
    Q_PROPERTY(TRadioButton* rbtB MEMBER rbtB)
public:
    using TForm::TForm;
    TGroupBox* grbGrupo = nullptr;
    TRadioButton* rbtA = nullptr;
    TRadioButton* rbtB = nullptr;
    QStringList calls;
    bool abortInA = false;

public slots:
    void FormCreate(QObject* Sender) { calls << "base.FormCreate"; }
    void rbtAClick(QObject* Sender) {
        calls << "rbtAClick";
        if (abortInA)
            Abort();
        calls << "rbtAClick.after";
    }
    void rbtBClick(QObject* Sender) { calls << "rbtBClick"; }
};

class TTestDerived : public TTestBase {
    Q_OBJECT
    Q_PROPERTY(TCheckBox* chbX MEMBER chbX)
    Q_PROPERTY(TComboBox* cbbY MEMBER cbbY)
public:
    using TTestBase::TTestBase;
    TCheckBox* chbX = nullptr;
    TComboBox* cbbY = nullptr;
    int lastKey = 0;

public slots:
    void FormCreate(QObject* Sender) {
        TTestBase::FormCreate(Sender);
        calls << "derived.FormCreate";
    }
    void cbbYChange(QObject* Sender) { calls << "cbbYChange"; }
    void rbtBKeyDown(QObject* Sender, int& Key, TShiftState Shift) {
        lastKey = Key;
        calls << QStringLiteral("key %1%2").arg(Key).arg(Shift.testFlag(ShiftFlag::Ctrl) ? "+ctrl" : "");
    }
};

// Forms whose resources are broken in one way each.
class TBadHandler : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;
};
class TBadSignature : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;
public slots:
    void Wrong(QObject* Sender, int Extra) {}
};
class TBadClass : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;
};
class TBadTwice : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;
};
class TBadProperty : public TForm {
    Q_OBJECT
public:
    using TForm::TForm;
};
class TBadField : public TForm {
    Q_OBJECT
    Q_PROPERTY(TGroupBox* grbMissing MEMBER grbMissing)
public:
    using TForm::TForm;
    TGroupBox* grbMissing = nullptr;
};
