#include "reporting/ReportDesignerWindow.h"

#include "core/Errors.h"
#include "core/MessageSink.h"
#include "reporting/ReportCriteria.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Col { Field, Header, Width, Align, Overflow, Format, Chars, ColumnCount };

QComboBox* choice(const QStringList& labels, const QStringList& values, const QString& current) {
    auto* box = new QComboBox;
    for (int i = 0; i < labels.size(); ++i)
        box->addItem(labels[i], values[i]);
    box->setCurrentIndex(qMax(0, int(values.indexOf(current))));
    return box;
}

QString alignName(Qt::Alignment a) {
    return a == Qt::AlignRight ? "right" : a == Qt::AlignHCenter ? "center" : "left";
}
Qt::Alignment alignOf(const QString& s) {
    return s == u"right" ? Qt::AlignRight : s == u"center" ? Qt::AlignHCenter : Qt::AlignLeft;
}

QPlainTextEdit* sqlEdit() {
    auto* e = new QPlainTextEdit;
    e->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    return e;
}
} // namespace

ReportDesignerWindow::ReportDesignerWindow(ReportEditRequest& request, QWidget* parent)
    : QDialog(parent), m_request(request) {
    setWindowTitle(QStringLiteral("Editar relatório - %1").arg(request.definition.title));
    setModal(true);
    resize(900, 640);

    auto* tabs = new QTabWidget(this);

    auto* general = new QWidget;
    auto* form = new QFormLayout(general);
    m_title = new QLineEdit;
    m_order = new QSpinBox;
    m_order->setRange(0, 9999);
    m_orientation = new QComboBox;
    m_orientation->addItem(QStringLiteral("Retrato"), int(QPageLayout::Portrait));
    m_orientation->addItem(QStringLiteral("Paisagem"), int(QPageLayout::Landscape));
    m_paper = new QComboBox;
    m_paper->addItems({"A4", "A3", "Letter", "Legal"});
    m_fontSize = new QDoubleSpinBox;
    m_fontSize->setRange(5, 24);
    m_fontSize->setSuffix(QStringLiteral(" pt"));
    m_groupField = new QLineEdit;
    m_groupHeader = new QLineEdit;
    m_groupCount = new QLineEdit;
    m_total = new QLineEdit;
    form->addRow(QStringLiteral("&Título:"), m_title);
    form->addRow(QStringLiteral("&Ordem na lista:"), m_order);
    form->addRow(QStringLiteral("Orie&ntação:"), m_orientation);
    form->addRow(QStringLiteral("&Papel:"), m_paper);
    form->addRow(QStringLiteral("&Fonte:"), m_fontSize);
    form->addRow(QStringLiteral("Agrupar pelo &campo:"), m_groupField);
    form->addRow(QStringLiteral("Título do &grupo ({CAMPO}):"), m_groupHeader);
    form->addRow(QStringLiteral("Contagem do grupo:"), m_groupCount);
    form->addRow(QStringLiteral("Total geral:"), m_total);
    tabs->addTab(general, QStringLiteral("&Geral"));

    auto* sqlPage = new QWidget;
    auto* sqlLayout = new QVBoxLayout(sqlPage);
    auto* dialects = new QTabWidget;
    m_sql = sqlEdit();
    m_sqlIb = sqlEdit();
    m_sqlOracle = sqlEdit();
    m_sqlMssql = sqlEdit();
    dialects->addTab(m_sql, QStringLiteral("SQL"));
    dialects->addTab(m_sqlIb, QStringLiteral("SQL_IB (Firebird)"));
    dialects->addTab(m_sqlOracle, QStringLiteral("SQL_ORACLE"));
    dialects->addTab(m_sqlMssql, QStringLiteral("SQL_MSSQL"));
    sqlLayout->addWidget(dialects, 1);
    auto* listsForm = new QFormLayout;
    m_lists = new QLineEdit;
    m_lists->setPlaceholderText(QStringLiteral("L_CLIENTE, L_RAMOATIV"));
    listsForm->addRow(QStringLiteral("Parâmetros de &lista:"), m_lists);
    sqlLayout->addLayout(listsForm);
    tabs->addTab(sqlPage, QStringLiteral("&SQL"));

    auto* colPage = new QWidget;
    auto* colLayout = new QVBoxLayout(colPage);
    m_columns = new QTableWidget(0, ColumnCount);
    m_columns->setHorizontalHeaderLabels({QStringLiteral("Campo"), QStringLiteral("Cabeçalho"),
                                          QStringLiteral("Largura (mm)"), QStringLiteral("Alinhamento"),
                                          QStringLiteral("Texto longo"), QStringLiteral("Formato"),
                                          QStringLiteral("Tamanho do campo")});
    m_columns->horizontalHeader()->setSectionResizeMode(Header, QHeaderView::Stretch);
    m_columns->setSelectionBehavior(QAbstractItemView::SelectRows);
    colLayout->addWidget(m_columns, 1);
    auto* colButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("&Adicionar coluna"));
    auto* remove = new QPushButton(QStringLiteral("&Remover coluna"));
    auto* up = new QPushButton(QStringLiteral("Para &cima"));
    colButtons->addWidget(add);
    colButtons->addWidget(remove);
    colButtons->addWidget(up);
    colButtons->addStretch();
    colLayout->addLayout(colButtons);
    connect(add, &QPushButton::clicked, this, [this] {
        ReportColumn c;
        c.field = QStringLiteral("CAMPO");
        c.header = QStringLiteral("Cabeçalho");
        addColumn(c);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_columns->currentRow() >= 0)
            m_columns->removeRow(m_columns->currentRow());
    });
    connect(up, &QPushButton::clicked, this, [this] {
        const int row = m_columns->currentRow();
        if (row <= 0)
            return;
        ReportDefinition d = definition();
        d.columns.swapItemsAt(row, row - 1);
        load(d);
        m_columns->selectRow(row - 1);
    });
    tabs->addTab(colPage, QStringLiteral("&Colunas"));

    auto* criteriaPage = new QWidget;
    auto* criteriaLayout = new QVBoxLayout(criteriaPage);
    auto* criteriaHelp = new QLabel(QStringLiteral(
        "Critérios impressos sob o título da primeira página, em JSON: uma lista de objetos com "
        "\"label\", \"parameter\" e \"kind\" (value, month, period, list ou choices); opcionais: "
        "\"to\", \"all_if\", \"all\", \"none\", \"lookup\", \"lookup_ib\", \"max_names\" e "
        "\"choices\"."));
    criteriaHelp->setWordWrap(true);
    criteriaLayout->addWidget(criteriaHelp);
    m_criteria = sqlEdit();
    criteriaLayout->addWidget(m_criteria, 1);
    tabs->addTab(criteriaPage, QStringLiteral("C&ritérios"));

    auto* buttons = new QDialogButtonBox;
    auto* test = buttons->addButton(QStringLiteral("&Testar"), QDialogButtonBox::ActionRole);
    auto* save = buttons->addButton(QStringLiteral("Sal&var"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    connect(test, &QPushButton::clicked, this, [this] {
        if (m_request.test)
            m_request.test(definition());
    });
    connect(save, &QPushButton::clicked, this, &ReportDesignerWindow::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addWidget(buttons);
    load(request.definition);
}

bool ReportDesignerWindow::exec(ReportEditRequest& request, QWidget* parent) {
    ReportDesignerWindow window(request, parent);
    return window.QDialog::exec() == QDialog::Accepted;
}

void ReportDesignerWindow::addColumn(const ReportColumn& c) {
    const int row = m_columns->rowCount();
    m_columns->insertRow(row);
    m_columns->setItem(row, Field, new QTableWidgetItem(c.field));
    m_columns->setItem(row, Header, new QTableWidgetItem(c.header));
    auto* width = new QDoubleSpinBox;
    width->setRange(1, 1000);
    width->setValue(c.width);
    m_columns->setCellWidget(row, Width, width);
    m_columns->setCellWidget(
        row, Align,
        choice({"Esquerda", "Centro", "Direita"}, {"left", "center", "right"}, alignName(c.alignment)));
    m_columns->setCellWidget(row, Overflow,
                             choice({"Abreviar (…)", "Quebrar linhas"}, {"elide", "wrap"},
                                    c.overflow == ReportColumn::Overflow::Wrap ? "wrap" : "elide"));
    m_columns->setCellWidget(row, Format,
                             choice({"Texto", "Data", "Dia/mês"}, {"", "date", "daymonth"}, c.format));
    auto* chars = new QSpinBox;
    chars->setRange(0, 1000);
    chars->setSpecialValueText(QStringLiteral("—"));
    chars->setSuffix(QStringLiteral(" caracteres"));
    chars->setValue(c.chars);
    m_columns->setCellWidget(row, Chars, chars);
}

void ReportDesignerWindow::load(const ReportDefinition& d) {
    m_title->setText(d.title);
    m_order->setValue(d.order);
    m_sql->setPlainText(d.sql);
    m_sqlIb->setPlainText(d.sqlIb);
    m_sqlOracle->setPlainText(d.sqlOracle);
    m_sqlMssql->setPlainText(d.sqlMssql);
    m_lists->setText(d.listParameters.join(QStringLiteral(", ")));
    m_columns->setRowCount(0);
    for (const ReportColumn& c : d.columns)
        addColumn(c);
    m_groupField->setText(d.group.field);
    m_groupHeader->setText(d.group.header);
    m_groupCount->setText(d.group.countLabel);
    m_total->setText(d.totalLabel);
    m_criteria->setPlainText(
        QString::fromUtf8(QJsonDocument(ReportCriteria::toJson(d.criteria)).toJson(QJsonDocument::Indented)));
    m_orientation->setCurrentIndex(d.page.orientation == QPageLayout::Landscape ? 1 : 0);
    m_paper->setCurrentText(d.page.paper);
    m_fontSize->setValue(d.page.fontSize);
}

ReportDefinition ReportDesignerWindow::definition() const {
    ReportDefinition d = m_request.definition; // keeps what the window does not show (margins)
    d.title = m_title->text().trimmed();
    d.order = m_order->value();
    d.sql = m_sql->toPlainText();
    d.sqlIb = m_sqlIb->toPlainText();
    d.sqlOracle = m_sqlOracle->toPlainText();
    d.sqlMssql = m_sqlMssql->toPlainText();
    d.listParameters.clear();
    for (const QString& p : m_lists->text().split(u',', Qt::SkipEmptyParts))
        if (!p.trimmed().isEmpty())
            d.listParameters << p.trimmed();
    d.columns.clear();
    for (int r = 0; r < m_columns->rowCount(); ++r) {
        ReportColumn c;
        c.field =
            m_columns->item(r, Field) ? m_columns->item(r, Field)->text().trimmed().toUpper() : QString();
        c.header = m_columns->item(r, Header) ? m_columns->item(r, Header)->text() : QString();
        c.width = static_cast<QDoubleSpinBox*>(m_columns->cellWidget(r, Width))->value();
        c.alignment =
            alignOf(static_cast<QComboBox*>(m_columns->cellWidget(r, Align))->currentData().toString());
        c.overflow =
            static_cast<QComboBox*>(m_columns->cellWidget(r, Overflow))->currentData().toString() == u"wrap"
                ? ReportColumn::Overflow::Wrap
                : ReportColumn::Overflow::Elide;
        c.format = static_cast<QComboBox*>(m_columns->cellWidget(r, Format))->currentData().toString();
        c.chars = static_cast<QSpinBox*>(m_columns->cellWidget(r, Chars))->value();
        d.columns << c;
    }
    d.group.field = m_groupField->text().trimmed().toUpper();
    d.group.header = m_groupHeader->text().isEmpty() && !d.group.field.isEmpty()
                         ? QStringLiteral("{%1}").arg(d.group.field)
                         : m_groupHeader->text();
    d.group.countLabel = m_groupCount->text();
    d.totalLabel = m_total->text();
    if (criteriaProblem().isEmpty()) // otherwise the request's criteria stay; save() says why
        d.criteria =
            ReportCriteria::fromJson(QJsonDocument::fromJson(m_criteria->toPlainText().toUtf8()).array());
    d.page.orientation = QPageLayout::Orientation(m_orientation->currentData().toInt());
    d.page.paper = m_paper->currentText();
    d.page.fontSize = m_fontSize->value();
    return d;
}

QString ReportDesignerWindow::criteriaProblem() const {
    const QString text = m_criteria->toPlainText().trimmed();
    if (text.isEmpty())
        return {};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("Os critérios não são um JSON válido: %1 (posição %2).")
            .arg(error.errorString())
            .arg(error.offset);
    if (!doc.isArray())
        return QStringLiteral("Os critérios devem ser uma lista JSON ([ ... ]).");
    try {
        ReportCriteria::fromJson(doc.array());
    } catch (const EHostError& e) {
        return QStringLiteral("Os critérios estão incorretos: %1.").arg(e.message());
    }
    return {};
}

void ReportDesignerWindow::save() {
    QString problem = criteriaProblem();
    if (!problem.isEmpty()) {
        MessageSink::instance().showError(problem);
        return;
    }
    const ReportDefinition d = definition();
    problem = m_request.validate ? m_request.validate(d) : QString();
    if (!problem.isEmpty()) {
        MessageSink::instance().showError(problem); // the window stays open with the user's work
        return;
    }
    if (m_request.confirmSave) {
        if (!m_request.confirmSave())
            return; // the window stays open with the user's work
        m_request.saveConfirmed = true;
    }
    m_request.definition = d;
    accept();
}
