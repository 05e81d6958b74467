// The search side of the main window: the frequency search, the two search modes, the
// coefficient buttons, the harmonic lists and the small keypad tools around them.
#include "ui/main/TForm1.h"
#include "ui/main/TForm1_geometry.h"
#include "ui_TForm1.h"

#include "calc/numbers.h"
#include "search/harmonics.h"
#include "search/search.h"
#include "ui/dialogs/TForm10.h"
#include "ui/dialogs/TForm8.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"

#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace orbistan::ui {

namespace {

QString text(double value) {
    return fromCore(formatGeneral(value));
}

} // namespace

void TForm1::bindSearch() {
    connect(ui->SpeedButton36, &QToolButton::clicked, this, &TForm1::SpeedButton36Click);
    connect(ui->SpeedButton53, &QToolButton::clicked, this, &TForm1::SpeedButton53Click);
    connect(ui->SpeedButton54, &QToolButton::clicked, this, &TForm1::SpeedButton54Click);
    connect(ui->SpeedButton38, &QToolButton::clicked, this, [this] { stepTolerance(true); });
    connect(ui->SpeedButton39, &QToolButton::clicked, this, [this] { stepTolerance(false); });
    connect(ui->SpeedButton55, &QToolButton::clicked, this, &TForm1::SpeedButton55Click);
    connect(ui->SpeedButton45, &QToolButton::clicked, this, &TForm1::SpeedButton45Click);
    connect(ui->SpeedButton42, &QToolButton::clicked, this, [this] { keypadKeyClick('/'); });
    connect(ui->Edit8, &QLineEdit::textChanged, this, &TForm1::Edit8Change);
    connect(ui->UpDown4, &QSpinBox::valueChanged, this,
            [this](int value) { ui->Edit61->setText(QString::number(value)); });
    connect(ui->Edit61, &QLineEdit::textEdited, this, &TForm1::Edit61Edited);
    bindCoefficientButtons();
    bindHarmonicLists();
}

// The arrows step from what the field holds, also when it was typed.
void TForm1::Edit61Edited(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok) {
        const QSignalBlocker keepText(ui->UpDown4);
        ui->UpDown4->setValue(std::clamp(value, ui->UpDown4->minimum(), ui->UpDown4->maximum()));
    }
}

void TForm1::bindCoefficientButtons() {
    // Each coefficient button writes the keypad value as the multiplier of its frequency in
    // every row that uses it.
    const std::pair<QToolButton*, std::vector<QLineEdit*>> coefficients[] = {
        {ui->SpeedButton28,
         {ui->Edit39, ui->Edit36, ui->Edit27, ui->Edit24, ui->Edit58, ui->Edit55, ui->Edit47,
          ui->Edit63}},
        {ui->SpeedButton23, {ui->Edit26, ui->Edit23, ui->Edit44, ui->Edit41}},
        {ui->SpeedButton25, {ui->Edit20, ui->Edit17, ui->Edit57, ui->Edit54}},
        {ui->SpeedButton27,
         {ui->Edit21, ui->Edit30, ui->Edit18, ui->Edit33, ui->Edit62, ui->Edit65}},
        {ui->SpeedButton24, {ui->Edit35, ui->Edit38, ui->Edit32, ui->Edit29}},
        {ui->SpeedButton26, {ui->Edit45, ui->Edit42}}};
    for (const auto& [button, fields] : coefficients) {
        connect(button, &QToolButton::clicked, this, [this, fields = fields] {
            for (QLineEdit* field : fields) {
                field->setText(ui->Edit8->text());
            }
            ui->Edit48->setText("1");
            SpeedButton1Click();
        });
    }
}

void TForm1::bindHarmonicLists() {
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    PopupMenu3->setAccessibleName("Гармоники");
    PopupMenu3->addActions({ui->N113, ui->N112, ui->N212, ui->N310, ui->N410, ui->N59, ui->N62,
                            ui->N72, ui->N82, ui->N92});
    harmonicButtons_ = {
        {{ui->SpeedButton43, ui->SpeedButton46, ui->SpeedButton48, ui->SpeedButton49,
          ui->SpeedButton50, ui->SpeedButton51, ui->SpeedButton52},
         {ui->SpeedButton44, ui->SpeedButton47, ui->SpeedButton56, ui->SpeedButton57,
          ui->SpeedButton58, ui->SpeedButton59, ui->SpeedButton60}}};
    // The tooltips follow the mouse: the return key's memory, a result too long for its field.
    ui->SpeedButton45->setMouseTracking(true);
    for (int row = kDefectCount; row < ResultCount; ++row) {
        resultFields_[row]->setMouseTracking(true);
    }
}

// The search fields as typed, empty ones given their defaults and shown with them.
SearchTexts TForm1::searchFieldTexts() {
    const SearchTexts typed{toCore(ui->Edit8->text()), toCore(ui->Edit7->text()),
                            toCore(ui->Edit59->text()), toCore(ui->Edit61->text()),
                            toCore(ui->Edit50->text())};
    const SearchTexts texts = withEmptyDefaults(typed);
    ui->Edit7->setText(fromCore(texts.tolerance));
    ui->Edit61->setText(fromCore(texts.maxHarmonic));
    ui->Edit50->setText(fromCore(texts.maxFrequency));
    return texts;
}

// The parameters within their limits; a field above its limit is rewritten.
SearchParameters TForm1::limitSearchFields(const SearchParameters& read) {
    const LimitedParameters limited = applySearchLimits(read);
    const std::pair<const std::optional<std::string>&, QLineEdit*> rewrites[] = {
        {limited.tolerance, ui->Edit7},
        {limited.maxHarmonic, ui->Edit61},
        {limited.maxFrequency, ui->Edit50}};
    for (const auto& [newText, field] : rewrites) {
        if (newText) {
            field->setText(fromCore(*newText));
        }
    }
    return limited.parameters;
}

void TForm1::SpeedButton36Click() {
    const SearchTexts texts = searchFieldTexts();
    if (state_.NoResult == 1) {
        form8_->showNotComputed();
        return;
    }
    ui->Edit48->setText("1");
    if (!inputsMatchLastComputation()) {
        form8_->showNotComputed();
        return;
    }
    for (int row = kDefectCount; row < ResultCount; ++row) {
        resultFields_[row]->clear();
    }
    const std::optional<SearchParameters> read = readSearchParameters(texts);
    if (!read) {
        form8_->showEnterCorrectly();
        for (int c = 0; c < kCombinationCount; ++c) {
            form10_->setHeading(c, fromCore(searchHeading(c, 0)));
        }
        return;
    }
    prepareResultsWindow();
    const Results& r = state_.results;
    showSearchResult(
        runSearch(searchBases(r, state_.inputs.Fr), limitSearchFields(*read), state_.Precision));
}

void TForm1::prepareResultsWindow() {
    QStringList frequencies{ui->Edit2->text()};
    for (int i = Fo; i <= FwStar; ++i) {
        frequencies << resultFields_[i]->text();
    }
    form10_->prepare("Результаты по подшипнику № " + ui->Edit9->text() +
                         "   (вы искали значение  " + ui->Edit8->text() + ")",
                     frequencies);
}

// Each combination's first hit fills its row; the results window shows every list, and opens
// by itself when a combination has two hits or more.
void TForm1::showSearchResult(const SearchResult& found) {
    bool several = false;
    for (int c = 0; c < kCombinationCount; ++c) {
        const int row = combinations()[c].resultIndex;
        if (const auto& hit = found.first[c]) {
            resultFields_[row]->setText(text(hit->value));
            multiplierFields_[firstMultiplierOf(row)]->setText(text(hit->m));
            multiplierFields_[firstMultiplierOf(row) + 1]->setText(text(hit->n));
        }
        form10_->setList(c, fromCore(found.lists[c]));
        form10_->setHeading(c, fromCore(searchHeading(c, found.counts[c])));
        several = several || found.counts[c] >= 2;
    }
    if (several) {
        SpeedButton54Click();
    }
}

void TForm1::SpeedButton54Click() {
    if (!form10_->testAttribute(Qt::WA_Moved)) {
        centerOnScreen(*form10_); // the first time; later it opens where the user left it
    }
    form10_->setWindowState(form10_->windowState() & ~Qt::WindowMinimized);
    form10_->show();
}

void TForm1::SpeedButton53Click() {
    const bool toManual = ui->Edit51->text() != "0";
    ui->SpeedButton53->setText(toManual ? "Автопоиск" : "Ручной поиск");
    const form1::SearchBoxLayout& layout =
        toManual ? form1::kManualSearch : form1::kAutomaticSearch;
    ui->Edit8->setGeometry(layout.left, ui->Edit8->y(), layout.displayWidth, ui->Edit8->height());
    ui->Edit8->raise();
    ui->GroupBox16->setGeometry(layout.left, ui->GroupBox16->y(), ui->GroupBox16->width(),
                                layout.boxHeight);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->SpeedButton36, ui->SpeedButton55, ui->Edit7, ui->Edit59, ui->Edit61,
             ui->SpeedButton38, ui->SpeedButton39, ui->UpDown4, ui->Label201, ui->Label202,
             ui->Label203}) {
        w->setVisible(!toManual);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->SpeedButton23, ui->SpeedButton24, ui->SpeedButton25,
                                         ui->SpeedButton26, ui->SpeedButton27, ui->SpeedButton28}) {
        w->setVisible(toManual);
    }
    ui->Edit51->setText(toManual ? "0" : "1");
    // Either way the rows go back to the plain first-order combinations.
    for (QLineEdit* field : multiplierFields_) {
        field->setText("1");
    }
    for (int row = kDefectCount; row < ResultCount; ++row) {
        resultFields_[row]->clear();
    }
    if (state_.NoResult == 0) {
        SpeedButton1Click();
    }
}

void TForm1::stepTolerance(bool up) {
    const std::optional<double> t = readNumber(fieldNumberText(toCore(ui->Edit7->text())));
    if (!t) {
        form8_->showEnterCorrectly();
        return;
    }
    ui->Edit7->setText(text(up ? toleranceUp(*t) : toleranceDown(*t)));
}

void TForm1::SpeedButton55Click() {
    const bool half = ui->Edit59->text() != "0,5";
    ui->Edit59->setText(half ? "0,5" : "1");
    ui->SpeedButton55->setText(half ? ">" : "<");
}

void TForm1::SpeedButton45Click() {
    ui->Edit8->setText(fromCore(state_.keypad.LastKeypadText));
    for (InputPair& pair : pairs_) {
        if (pair.code == state_.keypad.LastTransferTarget) {
            pair.field->setText("0");
            setCaptionColour(*pair.inputButton, kNavy);
            setCaptionColour(*pair.keypadButton, kNavy);
            state_.keypad.LastTransferTarget = 0;
            break;
        }
    }
}

void TForm1::Edit8Change() {
    if (ui->Edit8->text() == " ") {
        ui->Edit8->clear();
    }
}

// Tooltips and harmonic lists, reached through the window's event filter.
bool TForm1::searchToolEvent(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == ui->SpeedButton45) {
            ui->SpeedButton45->setToolTip("Возврат (" + fromCore(state_.keypad.LastKeypadText) +
                                          ")");
        } else if (auto* field = qobject_cast<QLineEdit*>(watched);
                   field && std::find(resultFields_.begin() + kDefectCount, resultFields_.end(),
                                      field) != resultFields_.end()) {
            field->setToolTip(field->text());
        }
        return false;
    }
    if (event->type() != QEvent::MouseButtonRelease) {
        return false;
    }
    for (int sub = 0; sub < 2; ++sub) {
        for (int which = 0; which < kDefectCount; ++which) {
            if (watched == harmonicButtons_[sub][which]) {
                const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
                showHarmonics(which, sub == 1, button);
                // Only the captions change on another button: the release must not go on
                // to the window, where it would open the context menu.
                return button != Qt::LeftButton;
            }
        }
    }
    return false;
}

void TForm1::showHarmonics(int which, bool sub, Qt::MouseButton button) {
    const auto captions = harmonicCaptions(which, state_.results[which], sub, state_.Precision);
    const QList<QAction*> items = PopupMenu3->actions();
    for (int k = 0; k < 10; ++k) {
        items[k]->setText(fromCore(captions[k]));
    }
    if (button != Qt::LeftButton) {
        return;
    }
    // The list opens with its right edge at one fixed point of the client area.
    const QPoint anchor = centralWidget()->mapToGlobal(form1::kHarmonicListAnchor);
    PopupMenu3->popup(anchor - QPoint(PopupMenu3->sizeHint().width(), 0));
}

} // namespace orbistan::ui
