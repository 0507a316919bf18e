#pragma once
// The client screen as the host runs it: the module loaded from its file, IniProc opening the
// screen, components reached by their resource names, user actions raised through the event guard.
// Shared by the quality and lifetime tests, which link no screen code of their own.
#include "data/TDataSet.h"
#include "data/TDataSource.h"
#include "forms/TComboBox.h"
#include "forms/TComponent.h"
#include "forms/TForm.h"
#include "forms/TRadioButton.h"
#include "packages/PackageLoader.h"
#include "support/ScriptedDialogService.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <dlfcn.h>
#include <stdexcept>

class ModuleScreen {
public:
    void load() {
        m_package = &PackageLoader::instance().load(QStringLiteral(ERP_MODULE_PATH));
        m_listaCliente = static_cast<QString*>(dlsym(m_package->handle, "_ZN12Cli_qmt3180012ListaClienteE"));
        if (!m_listaCliente)
            throw std::runtime_error("the module does not export Cli_qmt31800::ListaCliente");
    }
    void unload() {
        if (m_package && PackageLoader::instance().find(QStringLiteral("Pkg_qmt31800")))
            PackageLoader::instance().unload(*m_package);
        m_package = nullptr;
        m_form = nullptr;
        m_listaCliente = nullptr;
    }
    bool loaded() const { return m_package; }

    TForm* open() {
        m_package->IniProc();
        const QList<TForm*> forms = PackageLoader::instance().formsOf(*m_package);
        m_form = forms.isEmpty() ? nullptr : forms.first();
        return m_form;
    }
    void close() {
        if (!m_form)
            return;
        m_form->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_form = nullptr;
    }
    TForm* form() const { return m_form; }

    template <class T = QObject> T* get(const char* name) const {
        T* o = m_form ? m_form->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!o)
            throw std::runtime_error(std::string("the screen has no component ") + name);
        return o;
    }
    // A user's click or pick: through the guard, so errors become messages as in the host.
    void click(const char* name) const { asComponent(get(name))->userNotify(QStringLiteral("OnClick")); }
    void pickVariant(int index) const {
        auto* combo = get<TComboBox>("cbbReportNames");
        combo->SetItemIndex(index);
        combo->userNotify(QStringLiteral("OnChange"));
    }
    // "Lista" under Cliente, then the lookup button; the dialog answers through `choose`.
    void lookupClients(ScriptedDialogService& dialogs,
                       std::function<std::optional<QStringList>(const LookupRequest&)> choose) const {
        get<TRadioButton>("rbtLCliente")->SetChecked(true);
        dialogs.onLookup = std::move(choose);
        click("sbtCliente");
    }
    QString listaCliente() const { return m_listaCliente ? *m_listaCliente : QString(); }
    void setListaCliente(const QString& text) const { *m_listaCliente = text; }

private:
    Package* m_package = nullptr;
    TForm* m_form = nullptr;
    QString* m_listaCliente = nullptr;
};

// The first `count` keys of a lookup's rows.
inline std::optional<QStringList> firstKeys(const LookupRequest& request, int count) {
    const TDataSet* rows = request.dataSource->DataSet();
    QStringList keys;
    for (int i = 0; i < count && i < rows->RecordCount(); ++i)
        keys << rows->text(i, request.keyField);
    return keys;
}
