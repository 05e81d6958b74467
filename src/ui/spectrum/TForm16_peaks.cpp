// The spectrum window's peak table with its explanations, and the exports of the table and
// the plot.
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/choosers.h"
#include "ui_TForm16.h"

#include "calc/numbers.h"
#include "platform/atomic_file.h"
#include "spectrum/diagnosis/evidence.h"
#include "ui/kit/file_dialog.h"
#include "ui/kit/modal.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"
#include "ui/plot/plot.h"
#include "ui/report/report_page.h"

#include <QTextDocument>

#include <QBuffer>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPushButton>

#include <cmath>

namespace orbistan::ui {

namespace {

QLineEdit* addField(QFormLayout& form, const QString& caption, const QString& name,
                    const std::string& text) {
    auto* field = new QLineEdit(QString::fromStdString(text), form.parentWidget());
    field->setObjectName(name);
    form.addRow(caption, field);
    return field;
}

// A row that says, in red, what is wrong with what was typed; hidden until it is.
QLabel* addProblemRow(QFormLayout& form, const QString& name) {
    auto* problem = new QLabel(form.parentWidget());
    problem->setObjectName(name);
    problem->setStyleSheet("color: #b00000");
    form.addRow(problem);
    problem->hide();
    return problem;
}

QStringList rowCells(int rank, const ExplainedPeak& row) {
    QStringList cells;
    for (const std::string& cell : peakTableCells(rank, row)) {
        cells << QString::fromStdString(cell);
    }
    return cells;
}

} // namespace

// The table rounds to thousandths of a hertz, which the lines cannot tell apart anyway;
// the exported table keeps every digit.
void TForm16::showPeakTable() {
    const std::vector<ExplainedPeak>& rows = doc_.rows();
    QTableWidget* table = ui->peakTable;
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QStringList cells = rowCells(r + 1, rows[static_cast<std::size_t>(r)]);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 3 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r, c, item);
        }
    }
}

// The families ranked by their evidence in the spectrum shown, over the plot.
void TForm16::showEvidence() {
    if (!doc_.hasSpectrum() || !doc_.bearing()) {
        ui->evidencePanel->hide();
        return;
    }
    const QString heading = QString::fromStdString(doc_.diagnosisHeading()).toHtmlEscaped();
    QString html = "<b>Диагноз</b>" + heading.mid(QString("Диагноз").size());
    if (doc_.rateAssumed()) {
        html += QString("<br><i style='color:#b04000'>%1</i>").arg(utf8Text(kRateAssumedCaveat));
    }
    // The speed the verdicts were made at, how it was known, and how far each family's lines
    // were looked for; a speed nothing in the record confirms is said as a caveat is.
    if (const auto& judged = doc_.judged()) {
        const QString speed = QString::fromStdString(speedText(judged->speed, true) + "; " +
                                                     windowText(judged->windowPercent));
        html += judged->speed.source == SpeedSource::Unproven
                    ? QString("<br><i style='color:#b04000'>%1</i>").arg(speed)
                    : "<br>" + speed;
    }
    for (const FamilyEvidence& e : doc_.evidence()) {
        html += QString("<br><span style='color:%1'>%2: %3</span>")
                    .arg(QColor(QRgb(verdictRgb(e.verdict))).name(),
                         QString::fromStdString(describeEvidence(e, true)),
                         utf8Text(verdictWords(e.verdict)));
    }
    ui->evidencePanel->setText(html);
    ui->evidencePanel->adjustSize();
    // Read aloud as it reads: the verdicts, not only the panel's name.
    QTextDocument plain;
    plain.setHtml(html);
    ui->evidencePanel->setAccessibleName(plain.toPlainText().replace('\n', ". "));
    ui->evidencePanel->setVisible(doc_.settings().panels != PanelPlace::Hidden);
    placeEvidencePanel();
}

// The shaft's own line near the typed Fr, offered for a new computation.
void TForm16::refineSpeed() {
    refreshBearing();
    QMessageBox box(QMessageBox::Information, windowTitle(), QString(), QMessageBox::Ok, this);
    box.setObjectName("ShaftSpeedBox");
    const double typedFr = doc_.bearing() ? doc_.bearing()->bases.Fr : 0;
    if (!doc_.hasSpectrum() || !(typedFr > 0)) {
        box.setText("Сначала вычислите подшипник: уточняется введённая оборотная частота Fr.");
        showModal(box);
        return;
    }
    const std::optional<double> fr = doc_.refinedShaftSpeed();
    const QString typed = fromCore(formatGeneral(typedFr));
    if (!fr) {
        box.setText(doc_.settings().speed.exact
                        ? "Поиск Fr по записи выключен: Fr = " + typed + " Гц принята точной."
                        : "По записи Fr не найдена в пределах ±" +
                              fromCore(formatGeneral(doc_.settings().speed.rangePercent)) +
                              " % от Fr = " + typed + " Гц.");
        showModal(box);
        return;
    }
    const QString found = fromCore(formatGeneral(std::round(*fr * 1000) / 1000));
    box.setText("По спектру Fr = " + found + " Гц (введено " + typed +
                " Гц). Пересчитать подшипник с этой частотой?");
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    if (showModal(box) == QMessageBox::Yes) {
        Q_EMIT shaftSpeedChosen(found);
    }
}

void TForm16::showWriteFailure(const QString& file, int runtimeCode) {
    showFileProblem(
        QString::fromStdString(problemText(writeFailure(file.toStdString(), runtimeCode))));
}

void TForm16::exportTable() {
    const QString file = chooseFile(this, {true, QString::fromStdString(doc_.settings().folder),
                                           "Таблица CSV (*.csv)", "csv", true});
    if (file.isEmpty()) {
        return;
    }
    if (const int error =
            writeFileAtomically(file.toStdString(), peakTableForSpreadsheet(doc_.rows()))) {
        showWriteFailure(file, error);
    }
}

void TForm16::exportPlot(bool pdf) {
    const QString file = chooseFile(this, {true, QString::fromStdString(doc_.settings().folder),
                                           pdf ? "Документ PDF (*.pdf)" : "Рисунок PNG (*.png)",
                                           pdf ? "pdf" : "png", true});
    if (file.isEmpty()) {
        return;
    }
    QCustomPlot* plot = ui->Chart1;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (pdf) {
        QPdfWriter writer(&buffer);
        writer.setResolution(96);
        writer.setPageSize(
            QPageSize(QSizeF(plot->width() * 0.75, plot->height() * 0.75), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setCreator("Орбистан");
        QCPPainter painter(&writer);
        plot->toPainter(&painter, plot->width(), plot->height());
    } else {
        titledPicture(plot->toPixmap(), reportTitleLine(currentReport())).save(&buffer, "PNG");
    }
    // The file is written whole or not at all, as every file of the program.
    if (const int error = writeFileAtomically(file.toStdString(), buffer.data().toStdString())) {
        showWriteFailure(file, error);
    }
}

ReportContext TForm16::reportContextNow() const {
    ReportContext context = reportSource_ ? reportSource_() : ReportContext{};
    if (context.date.empty()) {
        context.date = QDateTime::currentDateTime().toString("dd.MM.yyyy HH:mm").toStdString();
    }
    context.place = placeFor(doc_.settings(), context.bearingNumber);
    return context;
}

Report TForm16::currentReport() const {
    return makeReport(doc_, reportContextNow());
}

// Before the page is written: where the bearing was measured, as remembered for its number,
// and when: the file's date, or one typed. False when cancelled.
bool TForm16::askReportDetails(ReportContext& context) {
    QDialog ask(this);
    ask.setObjectName("reportDetailsDialog");
    ask.setWindowTitle("Отчёт");
    auto* form = new QFormLayout(&ask);
    const QString fileDate = QString::fromStdString(modifiedText(doc_.shownPath()));
    QLineEdit* machine = addField(*form, "Машина", "reportMachineEdit", context.place.machine);
    QLineEdit* point = addField(*form, "Точка измерения", "reportPointEdit", context.place.point);
    QLineEdit* date = addField(*form, "Дата измерения", "reportDateEdit", fileDate.toStdString());
    date->setPlaceholderText("ДД.ММ.ГГГГ ЧЧ:ММ");
    date->setToolTip("Дата измерения; пусто — дата файла");
    QLabel* problem = addProblemRow(*form, "reportDateProblem");
    auto* buttons = new QDialogButtonBox(&ask);
    buttons->addButton("Сохранить…", QDialogButtonBox::AcceptRole);
    buttons->addButton("Отмена", QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, &ask, [&] {
        const QString typed = date->text().trimmed();
        if (typed.isEmpty() || typed == fileDate) {
            context.measured.clear(); // the file's, said as such
        } else if (const auto read = measurementDate(typed.toStdString())) {
            context.measured = *read;
        } else {
            problem->setText("«" + typed +
                             "» — не дата: нужна существующая дата в виде ДД.ММ.ГГГГ или "
                             "ДД.ММ.ГГГГ ЧЧ:ММ");
            problem->show();
            date->setFocus();
            return;
        }
        ask.accept();
    });
    completeAccessibility(ask);
    if (showModal(ask) != QDialog::Accepted) {
        return false;
    }
    context.place = {machine->text().toStdString(), point->text().toStdString()};
    if (doc_.rememberPlace(context.bearingNumber, context.place)) {
        saveSettings();
    }
    return true;
}

// The page to hand over, of what is shown between the bounds shown.
void TForm16::writeReport() {
    if (!doc_.hasSpectrum()) {
        return;
    }
    ReportContext context = reportContextNow();
    if (!askReportDetails(context)) {
        return;
    }
    const QString file = chooseFile(this, {true, QString::fromStdString(doc_.settings().folder),
                                           "Документ PDF (*.pdf)", "pdf", true});
    if (file.isEmpty()) {
        return;
    }
    const QCPRange view = ui->Chart1->xAxis->range();
    const QByteArray pdf = reportPdf(makeReport(doc_, context), doc_, view.lower, view.upper);
    if (const int error = writeFileAtomically(file.toStdString(), pdf.toStdString())) {
        showWriteFailure(file, error);
    }
}

void TForm16::setUpPeakTable() {
    // The table over a row of what is done with it: its length, a second file beside it, the
    // exports.
    auto* page = new QVBoxLayout(ui->peaksPage);
    page->setContentsMargins(0, 0, 0, 2);
    page->setSpacing(2);
    page->addWidget(ui->peakTable, 1);
    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(4, 0, 4, 0);
    // Velocity belongs with the spectrum, not with its envelope.
    for (QWidget* w : std::initializer_list<QWidget*>{ui->peaksLabel, ui->peaksBox, ui->velocityBox,
                                                      ui->velocityCutBox}) {
        tools->addWidget(w);
    }
    tools->addStretch(1);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->overlayButton, ui->clearOverlayButton,
                                                      ui->exportCsvButton, ui->exportPngButton,
                                                      ui->exportPdfButton, ui->reportButton}) {
        tools->addWidget(w);
    }
    page->addLayout(tools);
    QTableWidget* table = ui->peakTable;
    table->setColumnCount(8);
    QStringList captions;
    for (const std::string& caption : peakTableCaptions()) {
        captions << QString::fromStdString(caption);
    }
    table->setHorizontalHeaderLabels(captions);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(20);
    table->horizontalHeader()->setSectionResizeMode(7, QHeaderView::Stretch);
    // Eight columns in the window's width: a size smaller, as dense tables are set.
    QFont small = table->font();
    small.setPointSizeF(small.pointSizeF() - 1);
    table->setFont(small);
    table->horizontalHeader()->setFont(small);
    table->horizontalHeader()->setMinimumSectionSize(20);
    const int widths[] = {24, 70, 62, 78, 24, 24, 66};
    for (int c = 0; c < 7; ++c) {
        table->setColumnWidth(c, widths[c]);
    }
}

} // namespace orbistan::ui
