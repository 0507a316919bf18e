#include "reporting/editor/ReportDesignerWindow.h"

#include "core/Errors.h"
#include "core/MessageSink.h"
#include "reporting/ReportCriteria.h"
#include "reporting/editor/LivePageView.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QUndoCommand>
#include <QVBoxLayout>

namespace {
enum Col { Field, Header, Width, Align, Overflow, Format, Chars, ColumnCount };
enum CriterionCol { Label, Parameter, Kind, To, Lookup, CriterionCount };

// The texts of the query per database: another database's text is one more line here.
const struct SqlText {
    const char* caption;
    QString ReportDefinition::*text;
} kSqlTexts[] = {{"SQL", &ReportDefinition::sql},
                 {"SQL_IB (Firebird)", &ReportDefinition::sqlIb},
                 {"SQL_ORACLE", &ReportDefinition::sqlOracle},
                 {"SQL_MSSQL", &ReportDefinition::sqlMssql},
                 {"SQL_PG (PostgreSQL)", &ReportDefinition::sqlPg}};

const struct KindText {
    const char* text;
    ReportCriterion::Kind kind;
} kKinds[] = {{"Valor", ReportCriterion::Kind::Value},
              {"Mês", ReportCriterion::Kind::Month},
              {"Período", ReportCriterion::Kind::Period},
              {"Lista", ReportCriterion::Kind::List},
              {"Opções marcadas", ReportCriterion::Kind::Choices},
              {"Filial da sessão", ReportCriterion::Kind::Branch}};

// Merge keys of the undo steps: typing in one box is one step.
enum Key {
    TitleKey = 1,
    OrderKey,
    FontKey,
    HeaderKey,
    CountKey,
    TotalKey,
    ListsKey,
    SqlKey = 100,
    ColumnKey = 1000,
    CriterionKey = 5000,
    JsonKey = 9000
};

// A wheel turned over a choice does not pick it up (see eventFilter).
template <class W> W* keyed(W* widget) {
    widget->setFocusPolicy(Qt::StrongFocus);
    return widget;
}

QComboBox* choice(const QStringList& labels, const QStringList& values, const QString& current) {
    auto* box = keyed(new QComboBox);
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
    e->setUndoRedoEnabled(false); // the window's undo covers it
    return e;
}

bool takesLookup(ReportCriterion::Kind kind) {
    return kind == ReportCriterion::Kind::Value || kind == ReportCriterion::Kind::List;
}

ReportSample sessionSample(const ReportEditRequest& request) {
    dtmDBGeral& data = dtmDBGeral::instance();
    if (!data.isOpen())
        return ReportSample::madeUp(
            request.definition,
            QStringLiteral("Sem banco de dados aberto: a página mostra linhas de exemplo."));
    // The screen is asked first: it may have something to say, under the normal cursor.
    std::shared_ptr<const TParams> params = request.params ? request.params() : nullptr;
    struct Busy {
        Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~Busy() { QApplication::restoreOverrideCursor(); }
    } busy;
    return ReportSample::read(request.definition, dtmDBGeral::database(), data.kind(), std::move(params));
}
} // namespace

// One change of the definition: the whole definition before and after, so that every kind of edit
// undoes the same way.
class DefinitionChange : public QUndoCommand {
public:
    DefinitionChange(ReportDesignerWindow* window, ReportDefinition before, ReportDefinition after, int key)
        : m_window(window), m_before(std::move(before)), m_after(std::move(after)), m_key(key) {}
    int id() const override { return m_key; }
    bool mergeWith(const QUndoCommand* other) override {
        m_after = static_cast<const DefinitionChange*>(other)->m_after;
        setObsolete(m_after.toBytes() == m_before.toBytes());
        return true;
    }
    void redo() override {
        if (m_applied) { // pushed after the form already shows it
            m_applied = false;
            return;
        }
        m_window->display(m_after, ReportDesignerWindow::All);
    }
    void undo() override { m_window->display(m_before, ReportDesignerWindow::All); }

private:
    ReportDesignerWindow* m_window;
    ReportDefinition m_before, m_after;
    int m_key;
    bool m_applied = true;
};

ReportDesignerWindow::ReportDesignerWindow(ReportEditRequest& request, QWidget* parent)
    : ReportDesignerWindow(request, sessionSample(request), parent) {}

ReportDesignerWindow::ReportDesignerWindow(ReportEditRequest& request, ReportSample sample, QWidget* parent)
    : QDialog(parent), m_request(request), m_sample(std::move(sample)), m_def(request.definition) {
    setWindowTitle(QStringLiteral("Editar relatório - %1").arg(request.definition.title));
    setModal(true);
    resize(1240, 720);
    for (const ReportCriterion& c : m_def.criteria)
        if (!c.lookup.isEmpty() && std::none_of(m_lookups.begin(), m_lookups.end(),
                                                [&](const auto& l) { return l.first == c.lookup; }))
            m_lookups.emplace_back(c.lookup, c.lookupIb);
    m_redrawTimer.setSingleShot(true);
    m_redrawTimer.setInterval(120); // within a fifth of a second of a change, typing included
    connect(&m_redrawTimer, &QTimer::timeout, this, &ReportDesignerWindow::redraw);
    build();
    display(m_def, All);
    redrawNow();
    qApp->installEventFilter(this);
}

ReportDesignerWindow::~ReportDesignerWindow() {
    qApp->removeEventFilter(this);
}

void ReportDesignerWindow::build() {
    auto* tabs = new QTabWidget;

    auto* general = new QWidget;
    auto* form = new QFormLayout(general);
    m_title = new QLineEdit;
    m_order = keyed(new QSpinBox);
    m_order->setRange(0, 9999);
    m_orientation = keyed(new QComboBox);
    m_orientation->addItem(QStringLiteral("Retrato"), int(QPageLayout::Portrait));
    m_orientation->addItem(QStringLiteral("Paisagem"), int(QPageLayout::Landscape));
    m_paper = keyed(new QComboBox);
    m_paper->addItems({"A4", "A3", "Letter", "Legal"});
    m_fontSize = keyed(new QDoubleSpinBox);
    m_fontSize->setRange(5, 24);
    m_fontSize->setSuffix(QStringLiteral(" pt"));
    m_groupField = keyed(new QComboBox);
    m_groupHeader = new QLineEdit;
    m_insertField = keyed(new QComboBox);
    m_insertField->setToolTip(QStringLiteral("Insere no título do grupo o valor de um campo"));
    auto* headerRow = new QHBoxLayout;
    headerRow->addWidget(m_groupHeader, 1);
    headerRow->addWidget(m_insertField);
    m_groupCount = new QLineEdit;
    m_total = new QLineEdit;
    // Names for tests and scripted sessions.
    m_title->setObjectName(QStringLiteral("titulo"));
    m_groupField->setObjectName(QStringLiteral("campoGrupo"));
    form->addRow(QStringLiteral("&Título:"), m_title);
    form->addRow(QStringLiteral("Ordem na &lista:"), m_order);
    form->addRow(QStringLiteral("Or&ientação:"), m_orientation);
    form->addRow(QStringLiteral("&Papel:"), m_paper);
    form->addRow(QStringLiteral("Fo&nte:"), m_fontSize);
    form->addRow(QStringLiteral("Agrupar pelo &campo:"), m_groupField);
    auto* headerLabel = new QLabel(QStringLiteral("Título do gr&upo:"));
    headerLabel->setBuddy(m_groupHeader);
    form->addRow(headerLabel, headerRow);
    form->addRow(QStringLiteral("Contagem do grupo:"), m_groupCount);
    form->addRow(QStringLiteral("Total geral:"), m_total);
    tabs->addTab(general, QStringLiteral("&Geral"));

    connect(m_title, &QLineEdit::textEdited, this,
            [this](const QString& t) { change([&](ReportDefinition& d) { d.title = t; }, TitleKey); });
    connect(m_order, &QSpinBox::valueChanged, this,
            [this](int v) { change([&](ReportDefinition& d) { d.order = v; }, OrderKey); });
    connect(m_orientation, &QComboBox::currentIndexChanged, this, [this] {
        change([&](ReportDefinition& d) {
            d.page.orientation = QPageLayout::Orientation(m_orientation->currentData().toInt());
        });
    });
    connect(m_paper, &QComboBox::currentTextChanged, this,
            [this](const QString& t) { change([&](ReportDefinition& d) { d.page.paper = t; }); });
    connect(m_fontSize, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { change([&](ReportDefinition& d) { d.page.fontSize = v; }, FontKey); });
    connect(m_groupField, &QComboBox::currentIndexChanged, this, [this] {
        if (m_showing)
            return;
        const QString field = m_groupField->currentData().toString();
        change([&](ReportDefinition& d) {
            d.group.field = field;
            // A first grouping gets a caption that names it: "Ramo de Atividade: {DSATIVCLI}".
            if (!field.isEmpty() && d.group.header.trimmed().isEmpty())
                d.group.header = QStringLiteral("%1: {%2}").arg(m_sample.label(field), field);
        });
        m_showing = true;
        m_groupHeader->setText(m_def.group.header);
        m_showing = false;
    });
    connect(m_groupHeader, &QLineEdit::textChanged, this, [this](const QString& t) {
        change([&](ReportDefinition& d) { d.group.header = t; }, HeaderKey);
    });
    connect(m_insertField, &QComboBox::activated, this, [this](int index) {
        if (index <= 0)
            return;
        m_groupHeader->insert(QStringLiteral("{%1}").arg(m_insertField->itemData(index).toString()));
        m_groupHeader->setFocus();
        m_showing = true;
        m_insertField->setCurrentIndex(0);
        m_showing = false;
    });
    connect(m_groupCount, &QLineEdit::textEdited, this, [this](const QString& t) {
        change([&](ReportDefinition& d) { d.group.countLabel = t; }, CountKey);
    });
    connect(m_total, &QLineEdit::textEdited, this,
            [this](const QString& t) { change([&](ReportDefinition& d) { d.totalLabel = t; }, TotalKey); });

    auto* colPage = new QWidget;
    auto* colLayout = new QVBoxLayout(colPage);
    m_columns = new QTableWidget(0, ColumnCount);
    m_columns->setHorizontalHeaderLabels({QStringLiteral("Campo"), QStringLiteral("Cabeçalho"),
                                          QStringLiteral("Largura (mm)"), QStringLiteral("Alinhamento"),
                                          QStringLiteral("Texto longo"), QStringLiteral("Formato"),
                                          QStringLiteral("Tamanho do campo")});
    m_columns->setObjectName(QStringLiteral("colunas"));
    m_columns->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_columns->setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows are reordered by dragging their number; the table is then drawn again in the new order.
    m_columns->verticalHeader()->setSectionsMovable(true);
    m_columns->verticalHeader()->setToolTip(QStringLiteral("Arraste o número da coluna para mudar a ordem"));
    connect(m_columns->verticalHeader(), &QHeaderView::sectionMoved, this, [this](int, int from, int to) {
        QHeaderView* header = m_columns->verticalHeader();
        {
            const QSignalBlocker blocker(header);
            header->moveSection(to, from);
        }
        QTimer::singleShot(0, this, [this, from, to] { moveColumn(from, to); });
    });
    connect(m_columns, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_showing || item->column() != Header)
            return;
        const int r = item->row();
        change([&](ReportDefinition& d) { d.columns[r].header = item->text(); }, ColumnKey + r * 10 + Header);
    });
    colLayout->addWidget(m_columns, 1);
    auto* colButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("&Adicionar coluna"));
    auto* remove = new QPushButton(QStringLiteral("Re&mover coluna"));
    auto* up = new QPushButton(QStringLiteral("Para c&ima"));
    auto* down = new QPushButton(QStringLiteral("Para &baixo"));
    colButtons->addWidget(add);
    colButtons->addWidget(remove);
    colButtons->addWidget(up);
    colButtons->addWidget(down);
    colButtons->addStretch();
    colLayout->addLayout(colButtons);
    connect(add, &QPushButton::clicked, this, [this] {
        ReportColumn c;
        for (const QString& f : m_sample.fields())
            if (std::none_of(m_def.columns.begin(), m_def.columns.end(),
                             [&](const ReportColumn& shown) { return shown.field == f; })) {
                c.field = f;
                break;
            }
        if (c.field.isEmpty() && !m_sample.fields().isEmpty())
            c.field = m_sample.fields().first();
        c.header = m_sample.label(c.field);
        const int row = m_columns->currentRow() < 0 ? int(m_def.columns.size()) : m_columns->currentRow() + 1;
        change([&](ReportDefinition& d) { d.columns.insert(row, c); }, -1, Columns);
        m_columns->selectRow(row);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = m_columns->currentRow();
        if (row < 0 || row >= m_def.columns.size())
            return;
        change([&](ReportDefinition& d) { d.columns.removeAt(row); }, -1, Columns);
        m_columns->selectRow(qMin(row, int(m_def.columns.size()) - 1));
    });
    connect(up, &QPushButton::clicked, this, [this] {
        if (const int row = m_columns->currentRow(); row > 0)
            moveColumn(row, row - 1);
    });
    connect(down, &QPushButton::clicked, this, [this] {
        if (const int row = m_columns->currentRow(); row >= 0 && row + 1 < m_def.columns.size())
            moveColumn(row, row + 1);
    });
    tabs->addTab(colPage, QStringLiteral("C&olunas"));

    auto* criteriaPage = new QWidget;
    auto* criteriaLayout = new QVBoxLayout(criteriaPage);
    auto* criteriaHelp = new QLabel(QStringLiteral(
        "O que o relatório imprime sob o título da primeira página: uma linha por critério, com o rótulo e "
        "o filtro que a tela passou no parâmetro."));
    criteriaHelp->setWordWrap(true);
    criteriaLayout->addWidget(criteriaHelp);
    m_criteriaTable = new QTableWidget(0, CriterionCount);
    m_criteriaTable->setHorizontalHeaderLabels({QStringLiteral("Rótulo"), QStringLiteral("Parâmetro"),
                                                QStringLiteral("Tipo"), QStringLiteral("Até (período)"),
                                                QStringLiteral("Nomes lidos por")});
    m_criteriaTable->setObjectName(QStringLiteral("criterios"));
    m_criteriaTable->horizontalHeader()->setSectionResizeMode(Label, QHeaderView::Stretch);
    m_criteriaTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_criteriaTable->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_criteriaTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_showing || item->column() != Label)
            return;
        const int r = item->row();
        change([&](ReportDefinition& d) { d.criteria[r].label = item->text(); }, CriterionKey + r * 10,
               Advanced);
    });
    criteriaLayout->addWidget(m_criteriaTable, 1);
    auto* criteriaButtons = new QHBoxLayout;
    auto* addCriterion = new QPushButton(QStringLiteral("&Adicionar critério"));
    auto* removeCriterion = new QPushButton(QStringLiteral("Re&mover critério"));
    criteriaButtons->addWidget(addCriterion);
    criteriaButtons->addWidget(removeCriterion);
    criteriaButtons->addStretch();
    criteriaLayout->addLayout(criteriaButtons);
    connect(addCriterion, &QPushButton::clicked, this, &ReportDesignerWindow::addCriterion);
    connect(removeCriterion, &QPushButton::clicked, this, [this] {
        const int row = m_criteriaTable->currentRow();
        if (row < 0 || row >= m_def.criteria.size())
            return;
        change([&](ReportDefinition& d) { d.criteria.removeAt(row); }, -1, Criteria | Advanced);
    });
    tabs->addTab(criteriaPage, QStringLiteral("C&ritérios"));

    auto* advancedPage = new QWidget;
    auto* advancedLayout = new QVBoxLayout(advancedPage);
    auto* advancedHelp = new QLabel(QStringLiteral(
        "Os critérios em JSON, para o que a tabela não diz: uma lista de objetos com \"label\", "
        "\"parameter\" e \"kind\" (value, month, period, list, choices ou branch); opcionais: \"to\", "
        "\"all_if\", \"all\", \"none\", \"lookup\", \"lookup_ib\", \"max_names\", \"choices\" e "
        "\"other_branches\"."));
    advancedHelp->setWordWrap(true);
    advancedLayout->addWidget(advancedHelp);
    m_criteria = sqlEdit();
    advancedLayout->addWidget(m_criteria, 1);
    m_criteriaStatus = new QLabel;
    m_criteriaStatus->setWordWrap(true);
    advancedLayout->addWidget(m_criteriaStatus);
    connect(m_criteria, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showing)
            return;
        const QString problem = criteriaProblem();
        m_criteriaStatus->setText(problem);
        if (!problem.isEmpty())
            return; // the form keeps the last criteria that could be read; save() says why
        const QList<ReportCriterion> criteria =
            ReportCriteria::fromJson(QJsonDocument::fromJson(m_criteria->toPlainText().toUtf8()).array());
        change([&](ReportDefinition& d) { d.criteria = criteria; }, JsonKey, Criteria);
    });
    tabs->addTab(advancedPage, QStringLiteral("A&vançado"));

    auto* sqlPage = new QWidget;
    auto* sqlLayout = new QVBoxLayout(sqlPage);
    auto* dialects = new QTabWidget;
    for (size_t i = 0; i < std::size(kSqlTexts); ++i) {
        QPlainTextEdit* edit = sqlEdit();
        m_sqlTexts.push_back(edit);
        dialects->addTab(edit, QString::fromUtf8(kSqlTexts[i].caption));
        connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, i] {
            change([&](ReportDefinition& d) { d.*kSqlTexts[i].text = edit->toPlainText(); }, SqlKey + int(i));
        });
    }
    sqlLayout->addWidget(dialects, 1);
    auto* listsForm = new QFormLayout;
    m_lists = new QLineEdit;
    m_lists->setPlaceholderText(QStringLiteral("L_CLIENTE, L_RAMOATIV"));
    listsForm->addRow(QStringLiteral("Parâmetros de &lista:"), m_lists);
    sqlLayout->addLayout(listsForm);
    connect(m_lists, &QLineEdit::textEdited, this, [this](const QString& text) {
        change(
            [&](ReportDefinition& d) {
                d.listParameters.clear();
                for (const QString& p : text.split(u',', Qt::SkipEmptyParts))
                    if (!p.trimmed().isEmpty())
                        d.listParameters << p.trimmed();
            },
            ListsKey);
    });
    tabs->addTab(sqlPage, QStringLiteral("S&QL"));

    auto* pagePane = new QWidget;
    auto* pageLayout = new QVBoxLayout(pagePane);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    m_pageNote = new QLabel;
    m_pageNote->setWordWrap(true);
    m_page = new LivePageView;
    m_page->setToolTip(QStringLiteral("Arraste a divisa entre duas colunas para mudar as larguras"));
    auto* pageArea = new QScrollArea;
    pageArea->setWidget(m_page);
    pageArea->setWidgetResizable(true);
    pageArea->setAlignment(Qt::AlignCenter);
    auto* zoom = keyed(new QComboBox);
    zoom->addItem(QStringLiteral("Página inteira"), 0.0);
    for (int percent : {100, 150, 200})
        zoom->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    connect(zoom, &QComboBox::currentIndexChanged, this, [this, zoom, pageArea] {
        const double z = zoom->currentData().toDouble();
        pageArea->setWidgetResizable(z <= 0);
        m_page->setZoom(z);
    });
    auto* zoomLabel = new QLabel(QStringLiteral("&Zoom:"));
    zoomLabel->setBuddy(zoom);
    auto* noteRow = new QHBoxLayout;
    noteRow->addWidget(m_pageNote, 1);
    noteRow->addWidget(zoomLabel);
    noteRow->addWidget(zoom);
    pageLayout->addLayout(noteRow);
    pageLayout->addWidget(pageArea, 1);
    connect(m_page, &LivePageView::edgeDragged, this, [this](int column, double width, double nextWidth) {
        if (column + 1 >= m_def.columns.size())
            return;
        change(
            [&](ReportDefinition& d) {
                d.columns[column].width = std::max(1.0, qRound(width * 2) / 2.0);
                d.columns[column + 1].width = std::max(1.0, qRound(nextWidth * 2) / 2.0);
            },
            -1, Columns);
    });

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs);
    splitter->addWidget(pagePane);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({680, 560});

    auto* buttons = new QDialogButtonBox;
    auto* undo = buttons->addButton(QStringLiteral("&Desfazer"), QDialogButtonBox::ResetRole);
    auto* redo = buttons->addButton(QStringLiteral("Re&fazer"), QDialogButtonBox::ResetRole);
    auto* test = buttons->addButton(QStringLiteral("T&estar"), QDialogButtonBox::ActionRole);
    m_save = buttons->addButton(QStringLiteral("&Salvar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    undo->setToolTip(QStringLiteral("Desfaz a última alteração (Ctrl+Z)"));
    redo->setToolTip(QStringLiteral("Refaz a alteração desfeita (Ctrl+Shift+Z ou Ctrl+Y)"));
    undo->setEnabled(false);
    redo->setEnabled(false);
    m_save->setEnabled(false);
    connect(undo, &QPushButton::clicked, this, &ReportDesignerWindow::undo);
    connect(redo, &QPushButton::clicked, &m_undo, &QUndoStack::redo);
    connect(&m_undo, &QUndoStack::canUndoChanged, undo, &QPushButton::setEnabled);
    connect(&m_undo, &QUndoStack::canRedoChanged, redo, &QPushButton::setEnabled);
    connect(&m_undo, &QUndoStack::cleanChanged, m_save, [this](bool clean) { m_save->setEnabled(!clean); });
    auto* undoAction = new QAction(this);
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undoAction, &QAction::triggered, this, &ReportDesignerWindow::undo);
    auto* redoAction = new QAction(this);
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(redoAction, &QAction::triggered, &m_undo, &QUndoStack::redo);
    addActions({undoAction, redoAction});
    connect(test, &QPushButton::clicked, this, [this] {
        if (m_request.test)
            m_request.test(m_def);
    });
    connect(m_save, &QPushButton::clicked, this, &ReportDesignerWindow::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportDesignerWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
}

void ReportDesignerWindow::change(const std::function<void(ReportDefinition&)>& edit, int mergeKey,
                                  int refresh) {
    if (m_showing)
        return;
    ReportDefinition after = m_def;
    edit(after);
    if (after.toBytes() == m_def.toBytes())
        return;
    ReportDefinition before = std::exchange(m_def, after);
    m_undo.push(new DefinitionChange(this, std::move(before), std::move(after), mergeKey));
    if (refresh)
        display(m_def, refresh);
    m_redrawTimer.start();
}

void ReportDesignerWindow::fillFieldChoices(QComboBox* box, const QString& current, bool allowNone) {
    box->clear();
    if (allowNone)
        box->addItem(QStringLiteral("(sem agrupamento)"), QString());
    for (const QString& f : m_sample.fields())
        box->addItem(m_sample.choiceText(f), f);
    if (!current.isEmpty() && box->findData(current) < 0)
        box->addItem(QStringLiteral("%1 - não retornado pela consulta").arg(m_sample.choiceText(current)),
                     current);
    box->setCurrentIndex(qMax(0, box->findData(current)));
}

void ReportDesignerWindow::display(const ReportDefinition& d, int sections) {
    const bool wasShowing = std::exchange(m_showing, true);
    m_def = d;
    if (sections & General) {
        m_title->setText(d.title);
        m_order->setValue(d.order);
        m_orientation->setCurrentIndex(d.page.orientation == QPageLayout::Landscape ? 1 : 0);
        m_paper->setCurrentText(d.page.paper);
        m_fontSize->setValue(d.page.fontSize);
        fillFieldChoices(m_groupField, d.group.field, true);
        m_groupHeader->setText(d.group.header);
        m_insertField->clear();
        m_insertField->addItem(QStringLiteral("Inserir campo…"));
        for (const QString& f : m_sample.fields())
            m_insertField->addItem(m_sample.choiceText(f), f);
        m_groupCount->setText(d.group.countLabel);
        m_total->setText(d.totalLabel);
    }
    if (sections & Sql) {
        for (size_t i = 0; i < m_sqlTexts.size(); ++i)
            if (m_sqlTexts[i]->toPlainText() != d.*kSqlTexts[i].text)
                m_sqlTexts[i]->setPlainText(d.*kSqlTexts[i].text);
        m_lists->setText(d.listParameters.join(QStringLiteral(", ")));
    }
    if (sections & Columns)
        showColumns();
    if (sections & Criteria)
        showCriteria();
    if (sections & Advanced) {
        m_criteria->setPlainText(QString::fromUtf8(
            QJsonDocument(ReportCriteria::toJson(d.criteria)).toJson(QJsonDocument::Indented)));
        m_criteriaStatus->clear();
    }
    m_showing = wasShowing;
    m_redrawTimer.start();
}

void ReportDesignerWindow::showColumns() {
    const int current = m_columns->currentRow();
    m_columns->setRowCount(0);
    m_columns->setRowCount(int(m_def.columns.size()));
    for (int r = 0; r < m_def.columns.size(); ++r) {
        const ReportColumn& c = m_def.columns[r];
        auto* field = keyed(new QComboBox);
        fillFieldChoices(field, c.field, false);
        m_columns->setCellWidget(r, Field, field);
        connect(field, &QComboBox::currentIndexChanged, this, [this, field, r] {
            if (m_showing)
                return;
            const QString chosen = field->currentData().toString();
            change([&](ReportDefinition& d) {
                ReportColumn& col = d.columns[r];
                // A header that only named the old field follows the new one.
                if (col.header.trimmed().isEmpty() || col.header == m_sample.label(col.field))
                    col.header = m_sample.label(chosen);
                col.field = chosen;
            });
            m_showing = true;
            m_columns->item(r, Header)->setText(m_def.columns[r].header);
            m_showing = false;
        });
        m_columns->setItem(r, Header, new QTableWidgetItem(c.header));
        auto* width = keyed(new QDoubleSpinBox);
        width->setRange(1, 1000);
        width->setDecimals(1);
        width->setValue(c.width);
        m_columns->setCellWidget(r, Width, width);
        connect(width, &QDoubleSpinBox::valueChanged, this, [this, r](double v) {
            change([&](ReportDefinition& d) { d.columns[r].width = v; }, ColumnKey + r * 10 + Width);
        });
        auto* align =
            choice({"Esquerda", "Centro", "Direita"}, {"left", "center", "right"}, alignName(c.alignment));
        m_columns->setCellWidget(r, Align, align);
        connect(align, &QComboBox::currentIndexChanged, this, [this, align, r] {
            change([&](ReportDefinition& d) {
                d.columns[r].alignment = alignOf(align->currentData().toString());
            });
        });
        auto* overflow = choice({"Cortar (…)", "Quebrar linhas"}, {"elide", "wrap"},
                                c.overflow == ReportColumn::Overflow::Wrap ? "wrap" : "elide");
        m_columns->setCellWidget(r, Overflow, overflow);
        connect(overflow, &QComboBox::currentIndexChanged, this, [this, overflow, r] {
            change([&](ReportDefinition& d) {
                d.columns[r].overflow = overflow->currentData().toString() == u"wrap"
                                            ? ReportColumn::Overflow::Wrap
                                            : ReportColumn::Overflow::Elide;
            });
        });
        auto* format = choice({"Texto", "Data", "Dia/mês"}, {"", "date", "daymonth"}, c.format);
        m_columns->setCellWidget(r, Format, format);
        connect(format, &QComboBox::currentIndexChanged, this, [this, format, r] {
            change([&](ReportDefinition& d) { d.columns[r].format = format->currentData().toString(); });
        });
        auto* chars = keyed(new QSpinBox);
        chars->setRange(0, 1000);
        chars->setSpecialValueText(QStringLiteral("—"));
        chars->setSuffix(QStringLiteral(" caracteres"));
        chars->setValue(c.chars);
        m_columns->setCellWidget(r, Chars, chars);
        connect(chars, &QSpinBox::valueChanged, this, [this, r](int v) {
            change([&](ReportDefinition& d) { d.columns[r].chars = v; }, ColumnKey + r * 10 + Chars);
        });
    }
    const int widths[] = {210, 150, 80, 95, 125, 85, 120};
    for (int c = Field; c < ColumnCount; ++c)
        m_columns->setColumnWidth(c, widths[c]);
    if (current >= 0 && current < m_columns->rowCount())
        m_columns->selectRow(current);
}

void ReportDesignerWindow::showCriteria() {
    const int current = m_criteriaTable->currentRow();
    for (const ReportCriterion& c : m_def.criteria)
        if (!c.lookup.isEmpty() && std::none_of(m_lookups.begin(), m_lookups.end(),
                                                [&](const auto& l) { return l.first == c.lookup; }))
            m_lookups.emplace_back(c.lookup, c.lookupIb);
    const QStringList parameters = m_sample.parameters(m_def);
    m_criteriaTable->setRowCount(0);
    m_criteriaTable->setRowCount(int(m_def.criteria.size()));
    for (int r = 0; r < m_def.criteria.size(); ++r) {
        const ReportCriterion& c = m_def.criteria[r];
        m_criteriaTable->setItem(r, Label, new QTableWidgetItem(c.label));

        auto* parameter = keyed(new QComboBox);
        parameter->addItems(parameters);
        if (!parameters.contains(c.parameter, Qt::CaseInsensitive))
            parameter->addItem(c.parameter);
        parameter->setCurrentIndex(qMax(0, parameter->findText(c.parameter, Qt::MatchFixedString)));
        m_criteriaTable->setCellWidget(r, Parameter, parameter);
        connect(parameter, &QComboBox::currentTextChanged, this, [this, r](const QString& p) {
            change([&](ReportDefinition& d) { d.criteria[r].parameter = p; }, -1, Advanced);
        });

        auto* kind = keyed(new QComboBox);
        for (const KindText& k : kKinds)
            kind->addItem(QString::fromUtf8(k.text), int(k.kind));
        kind->setCurrentIndex(qMax(0, kind->findData(int(c.kind))));
        m_criteriaTable->setCellWidget(r, Kind, kind);

        auto* to = keyed(new QComboBox);
        to->addItem(QString());
        to->addItems(parameters);
        if (!c.parameterTo.isEmpty() && to->findText(c.parameterTo, Qt::MatchFixedString) < 0)
            to->addItem(c.parameterTo);
        to->setCurrentIndex(qMax(0, to->findText(c.parameterTo, Qt::MatchFixedString)));
        to->setEnabled(c.kind == ReportCriterion::Kind::Period);
        m_criteriaTable->setCellWidget(r, To, to);
        connect(to, &QComboBox::currentTextChanged, this, [this, r](const QString& p) {
            change([&](ReportDefinition& d) { d.criteria[r].parameterTo = p; }, -1, Advanced);
        });

        // The names of keys or values are read by one of the definition's lookups, shown by the
        // criterion that brought it.
        auto* lookup = keyed(new QComboBox);
        lookup->addItem(QStringLiteral("(nenhuma consulta)"), -1);
        for (size_t i = 0; i < m_lookups.size(); ++i) {
            QString owner;
            for (const ReportCriterion& other : m_request.definition.criteria + m_def.criteria)
                if (other.lookup == m_lookups[i].first) {
                    owner = other.label;
                    break;
                }
            lookup->addItem(QStringLiteral("Consulta de '%1'").arg(owner), int(i));
            lookup->setItemData(lookup->count() - 1, m_lookups[i].first, Qt::ToolTipRole);
        }
        for (size_t i = 0; i < m_lookups.size(); ++i)
            if (m_lookups[i].first == c.lookup && !c.lookup.isEmpty())
                lookup->setCurrentIndex(int(i) + 1);
        lookup->setEnabled(takesLookup(c.kind));
        m_criteriaTable->setCellWidget(r, Lookup, lookup);
        connect(lookup, &QComboBox::currentIndexChanged, this, [this, lookup, r] {
            const int i = lookup->currentData().toInt();
            change(
                [&](ReportDefinition& d) {
                    d.criteria[r].lookup = i < 0 ? QString() : m_lookups[size_t(i)].first;
                    d.criteria[r].lookupIb = i < 0 ? QString() : m_lookups[size_t(i)].second;
                },
                -1, Advanced);
        });

        connect(kind, &QComboBox::currentIndexChanged, this, [this, kind, to, lookup, r] {
            const auto k = ReportCriterion::Kind(kind->currentData().toInt());
            to->setEnabled(k == ReportCriterion::Kind::Period);
            lookup->setEnabled(takesLookup(k));
            change([&](ReportDefinition& d) { d.criteria[r].kind = k; }, -1, Advanced);
        });
    }
    // The label takes what the choices leave.
    const int widths[] = {0, 130, 120, 120, 170};
    for (int c = Parameter; c < CriterionCount; ++c)
        m_criteriaTable->setColumnWidth(c, widths[c]);
    if (current >= 0 && current < m_criteriaTable->rowCount())
        m_criteriaTable->selectRow(current);
}

void ReportDesignerWindow::addCriterion() {
    const QStringList parameters = m_sample.parameters(m_def);
    ReportCriterion c;
    c.label = QStringLiteral("Novo critério");
    for (const QString& p : parameters)
        if (std::none_of(m_def.criteria.begin(), m_def.criteria.end(), [&](const ReportCriterion& other) {
                return other.parameter.compare(p, Qt::CaseInsensitive) == 0;
            })) {
            c.parameter = p;
            break;
        }
    if (c.parameter.isEmpty() && !parameters.isEmpty())
        c.parameter = parameters.first();
    if (m_def.listParameters.contains(c.parameter, Qt::CaseInsensitive))
        c.kind = ReportCriterion::Kind::List;
    const int row = int(m_def.criteria.size());
    change([&](ReportDefinition& d) { d.criteria << c; }, -1, Criteria | Advanced);
    m_criteriaTable->setCurrentCell(row, Label);
    m_criteriaTable->editItem(m_criteriaTable->item(row, Label));
}

void ReportDesignerWindow::moveColumn(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= m_def.columns.size() || to >= m_def.columns.size())
        return;
    change([&](ReportDefinition& d) { d.columns.move(from, to); }, -1, Columns);
    m_columns->selectRow(to);
}

void ReportDesignerWindow::redrawNow() {
    m_redrawTimer.stop();
    redraw();
}

void ReportDesignerWindow::redraw() {
    QStringList notes{m_sample.note()};
    ReportRows rows = m_sample.rowsFor(m_def, &notes);
    const QStringList criteria = m_sample.criteriaFor(m_def);
    try {
        m_page->setDocument(std::make_unique<ReportDocument>(m_def, std::move(rows), m_request.branch,
                                                             QDateTime::currentDateTime(), criteria),
                            criteria);
    } catch (const EHostError& e) {
        notes << e.message();
        m_page->setDocument(nullptr, {});
    }
    m_pageNote->setText(notes.join(u'\n'));
}

bool ReportDesignerWindow::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+Z and Ctrl+Shift+Z / Ctrl+Y in a text box undo the window's changes, not the box's own.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        isAncestorOf(static_cast<QWidget*>(watched))) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeyCombination k = key->keyCombination();
        if (k == QKeyCombination(Qt::ControlModifier, Qt::Key_Z) ||
            k == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z) ||
            k == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
            event->ignore();
            return true;
        }
    }
    // A wheel turned over a choice the user is not in scrolls the table instead of changing it.
    if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
        (qobject_cast<QComboBox*>(watched) || qobject_cast<QAbstractSpinBox*>(watched))) {
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->hasFocus() && isAncestorOf(widget)) {
            for (QWidget* p = widget->parentWidget(); p && p != this; p = p->parentWidget())
                if (auto* area = qobject_cast<QAbstractScrollArea*>(p)) {
                    QCoreApplication::sendEvent(area->viewport(), event);
                    break;
                }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool ReportDesignerWindow::exec(ReportEditRequest& request, QWidget* parent) {
    ReportDesignerWindow window(request, parent);
    return window.QDialog::exec() == QDialog::Accepted;
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
    const ReportDefinition d = m_def;
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
    m_undo.setClean();
    accept();
}

void ReportDesignerWindow::undo() {
    // Criteria text that does not read yet is no step of its own: undo drops it first.
    if (!criteriaProblem().isEmpty()) {
        display(m_def, Advanced);
        return;
    }
    m_undo.undo();
}

void ReportDesignerWindow::reject() {
    if ((!m_undo.isClean() || !criteriaProblem().isEmpty()) &&
        !MessageSink::instance().confirm(
            QStringLiteral("Editar relatório"),
            QStringLiteral("Descartar as alterações feitas em '%1'?").arg(m_request.definition.title),
            QStringLiteral("Descartar")))
        return;
    QDialog::reject();
}
