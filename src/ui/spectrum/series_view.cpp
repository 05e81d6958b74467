#include "ui/spectrum/series_view.h"

#include "spectrum/diagnosis/families.h"
#include "ui/kit/text.h"
#include "ui/plot/plot.h"
#include "ui/spectrum/choosers.h"

#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orbistan::ui {

namespace {

constexpr std::size_t kLevelSlot = kTrendFamilies; // the level's alarm and first line
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN(); // a gap in a line

QString shortTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString("dd.MM.yyyy hh:mm");
}

QColor colourOf(std::size_t family) {
    return familyColour(faultFamilies()[family].marker);
}

QString symbolOf(std::size_t family) {
    return QString::fromStdString(std::string(faultFamilies()[family].symbol));
}

QSharedPointer<QCPAxisTickerDateTime> timeTicker() {
    QSharedPointer<QCPAxisTickerDateTime> ticker(new QCPAxisTickerDateTime);
    ticker->setDateTimeFormat("dd.MM.yy\nhh:mm");
    ticker->setDateTimeSpec(Qt::UTC); // the records' clock, as their names give it
    return ticker;
}

QCPItemStraightLine* straightLine(QCustomPlot* plot, QCPAxisRect* rect, const QPen& pen) {
    auto* line = new QCPItemStraightLine(plot);
    line->setClipAxisRect(rect);
    for (QCPItemPosition* p : {line->point1, line->point2}) {
        p->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    }
    line->setPen(pen);
    line->setVisible(false);
    return line;
}

} // namespace

SeriesView::SeriesView(QWidget* parent) : QWidget(parent) {
    setObjectName("seriesView");
    setAccessibleName("Тренд серии");
    setFocusPolicy(Qt::StrongFocus);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    setUpControls();
    setUpPlot();
    redrawSoon_ = new QTimer(this);
    redrawSoon_->setSingleShot(true);
    redrawSoon_->setInterval(150); // rows arriving by the hundred are drawn a few times a second
    connect(redrawSoon_, &QTimer::timeout, this, &SeriesView::redraw);
}

// «Величина», «База: первые» and «Порог, дБ» with their choosers, into the row.
void SeriesView::setUpChoosers(QHBoxLayout* row) {
    measureBox_ = new QComboBox(this);
    measureBox_->setObjectName("trendMeasureBox");
    measureBox_->setAccessibleName("Величина");
    for (std::size_t i = 0; i < kLevelMeasures; ++i) {
        measureBox_->addItem(utf8Text(kTrendMeasureTerms[i].label));
    }
    baselineBox_ = new QSpinBox(this);
    baselineBox_->setObjectName("baselineBox");
    baselineBox_->setAccessibleName("База: первые записи");
    baselineBox_->setRange(1, 100000);
    baselineBox_->setValue(static_cast<int>(kDefaultBaselineRecords));
    baselineBox_->setToolTip("Сколько первых записей серии считать исправным состоянием");
    alarmBox_ = new QDoubleSpinBox(this);
    alarmBox_->setObjectName("alarmBox");
    alarmBox_->setAccessibleName("Порог, дБ");
    alarmBox_->setRange(0.5, 60);
    alarmBox_->setSingleStep(0.5);
    alarmBox_->setDecimals(1);
    alarmBox_->setValue(kDefaultAlarmRise);
    alarmBox_->setToolTip("На сколько децибел выше базы уровень считается тревожным");
    for (QWidget* w : std::initializer_list<QWidget*>{
             new QLabel("Величина", this), measureBox_, new QLabel("База: первые", this),
             baselineBox_, new QLabel("Порог, дБ", this), alarmBox_}) {
        row->addWidget(w);
    }
}

void SeriesView::setUpControls() {
    auto* row = new QHBoxLayout;
    setUpChoosers(row);
    progress_ = new QLabel(this);
    progress_->setObjectName("seriesProgress");
    cancel_ = new QPushButton("Отмена", this);
    cancel_->setObjectName("seriesCancel");
    cancel_->hide();
    row->addStretch(1);
    row->addWidget(progress_);
    row->addWidget(cancel_);
    firsts_ = new QLabel(this);
    firsts_->setObjectName("seriesFirsts");
    firsts_->setWordWrap(true);
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->addLayout(row);
    column->addWidget(firsts_);
    connect(measureBox_, &QComboBox::currentIndexChanged, this, &SeriesView::redraw);
    connect(baselineBox_, &QSpinBox::valueChanged, this, &SeriesView::settingsChanged);
    connect(alarmBox_, &QDoubleSpinBox::valueChanged, this, &SeriesView::settingsChanged);
    connect(cancel_, &QPushButton::clicked, this, &SeriesView::cancelAsked);
}

void SeriesView::setUpPlot() {
    plot_ = new QCustomPlot(this);
    plot_->setObjectName("trendPlot");
    plot_->setAccessibleName("Тренд");
    static_cast<QVBoxLayout*>(layout())->addWidget(plot_, 1);
    levelRect_ = plot_->axisRect();
    familyRect_ = new QCPAxisRect(plot_);
    plot_->plotLayout()->addElement(1, 0, familyRect_);
    auto* margins = new QCPMarginGroup(plot_);
    for (QCPAxisRect* rect : {levelRect_, familyRect_}) {
        rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
        rect->axis(QCPAxis::atBottom)->setTicker(timeTicker());
    }
    familyRect_->axis(QCPAxis::atLeft)->setLabel("Линия семейства, дБ над фоном");
    connect(levelRect_->axis(QCPAxis::atBottom), qOverload<const QCPRange&>(&QCPAxis::rangeChanged),
            familyRect_->axis(QCPAxis::atBottom), qOverload<const QCPRange&>(&QCPAxis::setRange));
    level_ =
        plot_->addGraph(levelRect_->axis(QCPAxis::atBottom), levelRect_->axis(QCPAxis::atLeft));
    level_->setPen(QPen(Qt::black, 1.5));
    level_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
    setUpFamilies();
    setUpItems();
    connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        const double key = levelRect_->axis(QCPAxis::atBottom)->pixelToCoord(event->pos().x());
        if (const std::optional<std::size_t> i = recordNear(key)) {
            if (event->button() == Qt::RightButton) {
                showBaselineMenu(*i, event->globalPosition().toPoint());
            } else {
                Q_EMIT recordChosen(*i, true);
            }
        }
    });
}

// Each family's line in its colour, its weak verdicts as rings and its strong ones as discs,
// named in a legend of one row.
void SeriesView::setUpFamilies() {
    // One row over the top of the families' plot, where the healthy records seldom reach.
    auto* legend = new QCPLegend;
    familyRect_->insetLayout()->addElement(legend, Qt::AlignTop | Qt::AlignHCenter);
    legend->setLayer("legend");
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(static_cast<int>(kTrendFamilies));
    legend->setBrush(QColor(255, 255, 255, 210));
    for (std::size_t f = 0; f < kTrendFamilies; ++f) {
        QCPAxis* key = familyRect_->axis(QCPAxis::atBottom);
        QCPAxis* value = familyRect_->axis(QCPAxis::atLeft);
        families_[f] = plot_->addGraph(key, value);
        families_[f]->setPen(QPen(colourOf(f), 1.5));
        families_[f]->setName(symbolOf(f) + " — " +
                              QString::fromStdString(std::string(faultFamilies()[f].part)));
        families_[f]->removeFromLegend();
        families_[f]->addToLegend(legend);
        weak_[f] = plot_->addGraph(key, value);
        weak_[f]->setLineStyle(QCPGraph::lsNone);
        weak_[f]->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, colourOf(f), 9));
        strong_[f] = plot_->addGraph(key, value);
        strong_[f]->setLineStyle(QCPGraph::lsNone);
        strong_[f]->setScatterStyle(
            QCPScatterStyle(QCPScatterStyle::ssDisc, colourOf(f), colourOf(f), 9));
        for (QCPGraph* g : {weak_[f], strong_[f]}) {
            g->removeFromLegend();
        }
    }
}

// The alarm levels, the first flagged records' lines and names, the baseline's shade and the
// record open, hidden until there is something to mark.
void SeriesView::setUpItems() {
    for (std::size_t i = 0; i <= kTrendFamilies; ++i) {
        QCPAxisRect* rect = i == kLevelSlot ? levelRect_ : familyRect_;
        const QColor colour = i == kLevelSlot ? QColor(Qt::red) : colourOf(i);
        alarms_[i] = straightLine(plot_, rect, QPen(colour, 1, Qt::DashLine));
        firstLines_[i] = straightLine(plot_, rect, QPen(colour, 1.5, Qt::DashDotLine));
        firstTexts_[i] = new QCPItemText(plot_);
        firstTexts_[i]->setClipAxisRect(rect);
        firstTexts_[i]->position->setAxes(rect->axis(QCPAxis::atBottom),
                                          rect->axis(QCPAxis::atLeft));
        firstTexts_[i]->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        firstTexts_[i]->position->setAxisRect(rect);
        firstTexts_[i]->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        firstTexts_[i]->setColor(colour.darker(130));
        firstTexts_[i]->setBrush(QBrush(QColor(255, 255, 255, 210)));
        firstTexts_[i]->setVisible(false);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        QCPAxisRect* rect = i == 0 ? levelRect_ : familyRect_;
        currentLines_[i] = straightLine(plot_, rect, QPen(QColor(30, 90, 200), 1.5));
    }
}

QCPItemRect* SeriesView::shade(QCPAxisRect* rect) {
    auto* shade = new QCPItemRect(plot_);
    shade->setClipAxisRect(rect);
    for (QCPItemPosition* p : {shade->topLeft, shade->bottomRight}) {
        p->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
        p->setTypeY(QCPItemPosition::ptAxisRectRatio);
        p->setAxisRect(rect);
    }
    shade->setPen(Qt::NoPen);
    shade->setBrush(QColor(90, 160, 90, 45));
    return shade;
}

void SeriesView::showBaselineMenu(std::size_t index, const QPoint& globalPos) {
    QMenu menu(this);
    menu.setObjectName("baselineMenu");
    const bool in = doc_.baselineChosen() && doc_.inBaseline(index);
    QAction* take = menu.addAction(
        QString(in ? "Убрать запись %1 из базы" : "Взять запись %1 в базу").arg(index + 1));
    take->setObjectName(in ? "baselineRemoveAction" : "baselineAddAction");
    connect(take, &QAction::triggered, this, [this, index, in] {
        doc_.chooseForBaseline(index, !in);
        redraw();
    });
    QAction* first = menu.addAction(QString("База: первые %1 записей").arg(baselineBox_->value()));
    first->setObjectName("baselineFirstAction");
    first->setEnabled(doc_.baselineChosen());
    connect(first, &QAction::triggered, this, &SeriesView::settingsChanged);
    menu.exec(globalPos);
}

void SeriesView::begin(const QString& name) {
    name_ = name;
    doc_.clear();
    doc_.setBaselineFirst(static_cast<std::size_t>(baselineBox_->value()));
    doc_.setAlarmRise(alarmBox_->value());
    redraw();
}

void SeriesView::addRow(const SeriesRow& row) {
    doc_.add(row);
    if (!redrawSoon_->isActive()) {
        redrawSoon_->start();
    }
}

void SeriesView::showProgress(std::size_t handed, std::size_t total, bool running) {
    progress_->setText(running ? QString("Записей: %1 из %2").arg(handed).arg(total)
                               : QString("%1: записей %2").arg(name_).arg(doc_.rows().size()));
    cancel_->setVisible(running);
}

QString SeriesView::progressText() const {
    return progress_->text();
}

void SeriesView::setCurrent(std::optional<std::size_t> index) {
    doc_.setCurrent(index);
    for (QCPItemStraightLine* line : currentLines_) {
        line->setVisible(doc_.current().has_value());
        if (doc_.current()) {
            line->point1->setCoords(keyOf(*doc_.current()), 0);
            line->point2->setCoords(keyOf(*doc_.current()), 1);
        }
    }
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void SeriesView::settingsChanged() {
    doc_.setBaselineFirst(static_cast<std::size_t>(baselineBox_->value()));
    doc_.setAlarmRise(alarmBox_->value());
    redraw();
}

double SeriesView::keyOf(std::size_t index) const {
    return static_cast<double>(doc_.rows().at(index).entry.time.seconds);
}

std::optional<std::size_t> SeriesView::recordNear(double key) const {
    const std::vector<SeriesRow>& rows = doc_.rows();
    if (rows.empty()) {
        return std::nullopt;
    }
    const auto after =
        std::lower_bound(rows.begin(), rows.end(), key, [](const SeriesRow& r, double k) {
            return static_cast<double>(r.entry.time.seconds) < k;
        });
    std::size_t i = static_cast<std::size_t>(after - rows.begin());
    if (i == rows.size() || (i > 0 && key - keyOf(i - 1) < keyOf(i) - key)) {
        i = i == 0 ? 0 : i - 1;
    }
    return i;
}

void SeriesView::redraw() {
    drawLevels();
    drawFamilies();
    drawBaseline();
    drawFirsts();
    firsts_->setText(firstsText());
    setCurrent(doc_.current());
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void SeriesView::keyPressEvent(QKeyEvent* event) {
    const int direction = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    if (direction == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (const std::optional<std::size_t> next = doc_.step(direction)) {
        Q_EMIT recordChosen(*next, false);
    }
}

namespace {

// The range of the values and of what is drawn beside them, a little wider.
void fitValues(QCPAxis* axis, double low, double high) {
    if (!(high > low)) {
        high = low + 1;
    }
    const double margin = 0.08 * (high - low);
    axis->setRange(low - margin, high + margin);
}

} // namespace

// The measure's alarm level as a level line, hidden without one; the level, to fit the axis.
std::optional<double> SeriesView::placeAlarm(QCPItemStraightLine* line, TrendMeasure measure) {
    const std::optional<double> alarm = doc_.alarmLevel(measure);
    line->setVisible(alarm.has_value());
    if (alarm) {
        line->point1->setCoords(0, *alarm);
        line->point2->setCoords(1, *alarm);
    }
    return alarm;
}

void SeriesView::drawLevels() {
    const auto measure = static_cast<TrendMeasure>(std::max(0, measureBox_->currentIndex()));
    QVector<double> keys, values;
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (std::size_t i = 0; i < doc_.rows().size(); ++i) {
        const std::optional<double> v = measureOf(doc_.rows()[i], measure);
        keys.push_back(keyOf(i));
        values.push_back(v.value_or(kNoValue));
        if (v) {
            low = std::min(low, *v), high = std::max(high, *v);
        }
    }
    level_->setData(keys, values, true);
    levelRect_->axis(QCPAxis::atLeft)->setLabel(measureBox_->currentText());
    if (const std::optional<double> alarm = placeAlarm(alarms_[kLevelSlot], measure)) {
        high = std::max(high, *alarm);
    }
    if (std::isfinite(low)) {
        // A level from nothing; the speed about where it runs.
        fitValues(levelRect_->axis(QCPAxis::atLeft),
                  measure == TrendMeasure::ShaftSpeed ? low - 0.02 * high : std::min(low, 0.0),
                  measure == TrendMeasure::ShaftSpeed ? 1.02 * high : high);
    }
    if (!keys.isEmpty()) {
        const double spread = std::max(keys.back() - keys.front(), 60.0);
        levelRect_->axis(QCPAxis::atBottom)
            ->setRange(keys.front() - 0.03 * spread, keys.back() + 0.03 * spread);
    }
}

void SeriesView::drawFamilies() {
    double high = 0;
    for (std::size_t f = 0; f < kTrendFamilies; ++f) {
        const TrendMeasure measure = familyMeasure(faultFamilies()[f].id);
        QVector<double> keys, values, weakKeys, weakValues, strongKeys, strongValues;
        for (std::size_t i = 0; i < doc_.rows().size(); ++i) {
            const SeriesRow& row = doc_.rows()[i];
            const std::optional<double> v = measureOf(row, measure);
            keys.push_back(keyOf(i));
            values.push_back(v.value_or(kNoValue));
            high = std::max(high, v.value_or(0));
            const Verdict verdict = row.problem.empty() ? row.families[f].verdict : Verdict::None;
            (verdict == Verdict::Strong ? strongKeys : weakKeys)
                .append(verdict == Verdict::None ? QVector<double>{} : QVector<double>{keyOf(i)});
            (verdict == Verdict::Strong ? strongValues : weakValues)
                .append(verdict == Verdict::None ? QVector<double>{}
                                                 : QVector<double>{v.value_or(0)});
        }
        families_[f]->setData(keys, values, true);
        weak_[f]->setData(weakKeys, weakValues, true);
        strong_[f]->setData(strongKeys, strongValues, true);
        if (const std::optional<double> alarm = placeAlarm(alarms_[f], measure)) {
            high = std::max(high, *alarm);
        }
    }
    fitValues(familyRect_->axis(QCPAxis::atLeft), 0, high * 1.2); // the legend's row above
}

void SeriesView::drawBaseline() {
    const std::vector<std::size_t> base = doc_.baseline();
    // Half a step beyond a run's first and last records, so that one record shows too.
    const double step = doc_.rows().size() > 1
                            ? (keyOf(doc_.rows().size() - 1) - keyOf(0)) /
                                  static_cast<double>(2 * (doc_.rows().size() - 1))
                            : 30;
    std::size_t used = 0;
    for (std::size_t i = 0; i < base.size();) {
        std::size_t j = i;
        while (j + 1 < base.size() && base[j + 1] == base[j] + 1) {
            ++j;
        }
        for (QCPAxisRect* rect : {levelRect_, familyRect_}) {
            if (used == baselineShades_.size()) {
                baselineShades_.push_back(shade(rect));
            }
            QCPItemRect* s = baselineShades_[used++];
            s->topLeft->setCoords(keyOf(base[i]) - step, 0);
            s->bottomRight->setCoords(keyOf(base[j]) + step, 1);
            s->setVisible(true);
        }
        i = j + 1;
    }
    for (; used < baselineShades_.size(); ++used) {
        baselineShades_[used]->setVisible(false);
    }
}

void SeriesView::placeVertical(QCPItemStraightLine* line, QCPItemText* text,
                               std::optional<std::size_t> at, const QString& caption, int slot) {
    line->setVisible(at.has_value());
    text->setVisible(at.has_value());
    if (!at) {
        return;
    }
    line->point1->setCoords(keyOf(*at), 0);
    line->point2->setCoords(keyOf(*at), 1);
    text->position->setCoords(keyOf(*at), 0.17 + 0.13 * slot); // under the legend's row
    text->setText(caption);
}

void SeriesView::drawFirsts() {
    const auto measure = static_cast<TrendMeasure>(std::max(0, measureBox_->currentIndex()));
    const std::optional<std::size_t> alarm = doc_.firstAlarm(measure);
    placeVertical(firstLines_[kLevelSlot], firstTexts_[kLevelSlot], alarm,
                  alarm
                      ? " выше порога с " + shortTime(doc_.rows()[*alarm].entry.time.seconds) + " "
                      : QString(),
                  0);
    int slot = 0;
    for (std::size_t f = 0; f < kTrendFamilies; ++f) {
        const std::optional<std::size_t> first =
            doc_.firstFlagged(faultFamilies()[f].id, Verdict::Weak);
        placeVertical(firstLines_[f], firstTexts_[f], first,
                      first ? " " + symbolOf(f) + " с " +
                                  shortTime(doc_.rows()[*first].entry.time.seconds) + " "
                            : QString(),
                      first ? slot++ : 0);
    }
}

QString SeriesView::firstsText() const {
    if (doc_.rows().empty()) {
        return {};
    }
    QStringList parts;
    const auto record = [this](std::size_t i) {
        return shortTime(doc_.rows()[i].entry.time.seconds) + QString(" (запись %1)").arg(i + 1);
    };
    for (std::size_t f = 0; f < kTrendFamilies; ++f) {
        const FaultFamily family = faultFamilies()[f].id;
        const std::optional<std::size_t> weak = doc_.firstFlagged(family, Verdict::Weak);
        const std::optional<std::size_t> strong = doc_.firstFlagged(family, Verdict::Strong);
        QString text = symbolOf(f) + " — ";
        if (!weak) {
            text += "нет";
        } else {
            text += "признаки с " + record(*weak);
            if (strong && *strong != *weak) {
                text += ", сильные с " + record(*strong);
            } else if (strong) {
                text += ", сильные";
            }
        }
        parts << text;
    }
    const auto measure = static_cast<TrendMeasure>(std::max(0, measureBox_->currentIndex()));
    const std::optional<std::size_t> alarm = doc_.firstAlarm(measure);
    if (measure != TrendMeasure::ShaftSpeed) { // the speed has no alarm: the load moves it
        parts << measureBox_->currentText() +
                     (alarm ? " выше порога с " + record(*alarm) : QString(" не выше порога"));
    }
    if (doc_.baselineChosen()) {
        parts << QString("база: выбранные записи (%1)").arg(doc_.baseline().size());
    }
    return "Первые признаки: " + parts.join("; ");
}

} // namespace orbistan::ui
