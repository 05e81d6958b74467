#pragma once
// The spectrum window: a measured spectrum or a waveform's spectrum with the current
// bearing's defect-frequency lines on it, a cursor that reads the peaks, and the peak table
// whose rows the frequency search explains. A click on a peak searches it in the main
// window. What is shown and every decision about it is the core's Workbench, the cursor's
// the core's SpectrumCursor, the running of tasks the TaskRunner's; this class holds the
// widgets and the plot's items, and binds them.

#include "spectrum/diagnosis/cursors.h"
#include "spectrum/workbench/report.h"
#include "spectrum/workbench/workbench.h"
#include "ui/kit/spectrum_workbench.h"
#include "ui/spectrum/task_runner.h"

#include <QColor>
#include <QSharedPointer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QCPGraph;
class QCPItemText;
class QCPLayoutElement;
class QCPLayoutGrid;
class QCPGraphData;
template <class DataType> class QCPDataContainer;
using QCPGraphDataContainer = QCPDataContainer<QCPGraphData>;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabBar;
class QTimer;

namespace Ui {
class TForm16;
}

namespace orbistan::ui {

class BandMapView;
class PlotInteraction;
class SeriesRunner;
class SeriesView;
class WaterfallView;
class CoherenceView;
class WaveformView;

class TForm16 : public QWidget, public SpectrumWorkbench {
    Q_OBJECT
public:
    explicit TForm16(QWidget* parent = nullptr);
    ~TForm16() override;

    QWidget* widget() override { return this; }
    // Where the window keeps its settings file; read at once.
    void setProgramDir(const std::filesystem::path& dir) override;
    // Asked whenever the markers or the explanations are drawn; empty when nothing is
    // computed.
    void setBearingSource(std::function<std::optional<WorkbenchBearing>()> source) override;
    // The shaft speed field's text, as the main window shows it: what a file's speed
    // replaces, and what «Вернуть» gives back.
    void setShaftSpeedText(std::function<QString()> text) override;
    // The bearing's number and geometry as the report names them.
    void setReportSource(std::function<ReportContext()> source) override;
    void onPeakChosen(std::function<void(const QString&)> chosen) override;
    void onShaftSpeedChosen(std::function<void(const QString&)> chosen) override;
    // The main window computed anew: markers and explanations follow.
    void bearingChanged() override;

    // Opens a file as the button, Ctrl+O and a drop do; the work runs off the window's
    // thread and the previous spectrum stays until the new one is ready.
    void openFile(const std::filesystem::path& path);
    bool busy() const;
    // The spectrum shown: the file's, or the envelope spectrum of its band.
    const Spectrum* spectrum() const { return doc_.displayed(); }
    bool showingEnvelope() const { return doc_.showingEnvelope(); }
    const std::vector<ExplainedPeak>& peakRows() const { return doc_.rows(); }
    // How many marker lines are drawn.
    int markerLineCount() const { return doc_.markerLineCount(); }
    WaveformView* waveformView() const { return waveformView_; }
    SeriesView* seriesView() const { return seriesView_; }
    WaterfallView* waterfallView() const { return waterfallView_; }
    CoherenceView* coherenceView() const { return coherenceView_; }
    // A folder's records, or the files named, as a series: trended off the window's thread,
    // shown on the «Тренд» tab as its rows come.
    void openSeries(const std::vector<std::filesystem::path>& named);
    bool seriesBusy() const;
    // The lines risen past the alarm level, as the plot lists them while the difference from
    // the overlay is shown; empty otherwise.
    QString risenText() const;

Q_SIGNALS:
    // A peak was clicked: its frequency, as the keypad should show it.
    void peakChosen(const QString& frequencyText);
    // The shaft speed that the spectrum or the file gives, as the Fr field should show it.
    void shaftSpeedChosen(const QString& frText);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Arrows move the cursor from peak to peak, + and − zoom around it, Home shows all.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ---- TForm16.cpp: the controls bound, the tasks run and what they change applied
    void fillAnalysisChoosers();
    void setUpControls();
    void bindControls();
    void bindAnalysis();
    void refreshBearing();

    void chooseAndOpen();
    void chooseOverlay();
    void clearOverlay();
    void run(std::optional<WorkbenchTask> task);
    void taskFinished(const std::shared_ptr<TaskRunner::Outcome>& outcome);
    // With the graph the worker prepared of the spectrum shown, when it did.
    void applyChange(const WorkbenchChange& change,
                     const QSharedPointer<QCPGraphDataContainer>& prepared = {});
    void startCleanOnAnotherFile();
    void runWhatFollows(const WorkbenchChange& change);
    void runPendingDiagnosis();
    void showProgress();
    void cancelJob();
    void showFileProblem(const QString& message);

    void envelopeToggled(bool on);
    void bandEdited();
    void velocityToggled(bool on);
    void unitChosen(int index);
    void rateEdited();
    std::optional<Band> typedBand() const;

    // ---- TForm16_layout.cpp: the frame laid out, the notice and the hint over the plot
    void setUpShaftSpeedNotice();
    void setUpEmptyHint();
    void layOutAnalysisRow(int extra);
    void shaftSpeedFromFile(double hz);
    void showShaftSpeedNotice(bool shown);
    void showReadingNotice();
    void layOutPlot();

    // ---- TForm16_axis.cpp: the frequency axis's bounds, and the keys (keyPressEvent)
    void boundsEdited();
    void rangeChanged();
    void showFullRange();

    // ---- TForm16_labels.cpp: labels, the harmonic and sideband cursors, the plot's menu, the
    // legend's and the diagnosis's place
    void setUpLabels();
    void drawLabels();
    void placeHarmonicCursor(double frequency);
    void placeSidebandCursor(double frequency);
    void setSidebandSpacing(double hz);
    void addSpacingActions(QMenu& menu);
    void addDifferenceAction(QMenu& menu);
    void askSidebandSpacing();
    void clearCursors();
    void drawCursorMarks();
    void showPlotMenu(double frequency, const QPoint& globalPos);
    void setPeakLabels(int count);
    void setPanelPlace(PanelPlace place);
    void placePanels();
    void showLegend();
    void placeEvidencePanel();
    QString plotAccessibleName() const;

    // ---- TForm16_session.cpp: the settings, and where the analyst left the window
    void showSettings();
    WorkbenchSettings settingsFromControls() const;
    void controlsChanged();
    void saveSettings();
    void showResolutionChoices();
    void spanTyped();
    void averagesTyped();
    void placeWindow();
    void showSessionBand();
    void saveSession();
    void resumeSession(const WorkbenchChange& change);

    // ---- TForm16_plot.cpp: the plot
    void setUpPlot();
    // The tabs over the plot: the spectrum, the record against time, the band map, the
    // series' trend and waterfall, the coherence.
    void setUpWaveformView();
    void addViewTab(const QString& name, const QString& toolTip);
    void showView(int tab);
    void showWaveform();
    void setUpMarkerGraphs();
    // From the graph the worker prepared, when it did.
    void showShown(bool keepRange, const QSharedPointer<QCPGraphDataContainer>& prepared = {});
    void showControlsOfShown();
    void showSources();
    void showUnit();
    void showRate();
    void drawOverlay();
    void drawDifference(const Spectrum& baseline);
    void fitValueAxis();
    void keepLegendOffData();
    void drawMarkers();
    void placeMarkers();
    void moveCursor(double frequency);
    void stepCursor(int direction);
    void zoomAroundCursor(double factor);
    void plotClicked(double frequency);
    void chooseAt(double frequency);
    void bandDragged(double low, double high);
    double snappedFrequency(double frequency, double* amplitude) const;

    // ---- TForm16_series.cpp: a series of records, its trend, a record of it opened
    void setUpSeries();
    void chooseSeries(bool folder);
    void seriesRecordChosen(std::size_t index, bool showSpectrum);
    void stepSeries(int direction, bool showSpectrum);
    // " — запись 25 из 40" while the file shown is the series' record open; empty otherwise.
    QString seriesPlace() const;

    // ---- TForm16_coherence.cpp: the spectral coherence's tab, the diagnosis's method
    void setUpCoherence();
    // The map as the document holds it, made when its tab is looked at and none is.
    void showCoherence();
    void makeCoherenceIfLooked(bool asked);
    void setEnvelopeMethod(EnvelopeMethod method);
    // The plot menu's choices: peak labels, where the panels stand, the diagnosis's method.
    void addChoiceMenus(QMenu& menu);

    // ---- TForm16_peaks.cpp: the table, the evidence, the exports
    void setUpPeakTable();
    void showPeakTable();
    void showEvidence();
    void refineSpeed();
    // Why an export or the report was not written, naming the file.
    void showWriteFailure(const QString& file, int runtimeCode);
    void exportTable();
    void exportPlot(bool pdf);
    ReportContext reportContextNow() const;
    bool askReportDetails(ReportContext& context);
    Report currentReport() const;
    void writeReport();

    std::unique_ptr<Ui::TForm16> ui; // the form's controls, made by uic
    std::filesystem::path programDir_;
    std::function<std::optional<WorkbenchBearing>()> bearingSource_;
    std::function<QString()> shaftSpeedText_;
    std::function<ReportContext()> reportSource_;
    QWidget* shaftSpeedNotice_ = nullptr; // a file's speed replaced the one typed
    QLabel* shaftSpeedNoticeText_ = nullptr;
    QPushButton* shaftSpeedUndo_ = nullptr;
    QString replacedShaftSpeed_;
    std::function<void()> noticeAction_; // what the strip's button does
    bool noticeIsReading_ = false;       // the strip says how a file was read
    bool placed_ = false;                // sized and placed the first time it is shown
    bool resuming_ = true;               // the first file shown goes on with the last session
    QWidget* emptyHint_ = nullptr;       // over the plot while no file is open: how to open one
    SpectrumCursor cursor_;
    std::array<QCheckBox*, kMarkerFamilyCount> familyBoxes_{};
    Workbench doc_;

    TaskRunner* runner_ = nullptr;
    QTimer* progressTimer_ = nullptr;

    PlotInteraction* interaction_ = nullptr;
    BandMapView* bandMapView_ = nullptr;
    BandMapView* bandMapLarge_ = nullptr; // the band map in the plot's place, to be read
    QTabBar* viewTabs_ = nullptr;
    WaveformView* waveformView_ = nullptr;
    SeriesView* seriesView_ = nullptr;
    WaterfallView* waterfallView_ = nullptr;
    CoherenceView* coherenceView_ = nullptr;
    SeriesRunner* seriesRunner_ = nullptr;
    QCPGraph* overlayGraph_ = nullptr;
    // The overlay drawn as the spectrum's difference from it, in dB on the right axis, the
    // lines risen past the series' alarm level listed over the plot.
    bool showDifference_ = false;
    QCPItemText* risenText_ = nullptr;
    // Per family, its harmonics' graph, then per family its sidebands' graph.
    std::array<QCPGraph*, 3 * kMarkerFamilyCount> markerGraphs_{};
    std::vector<QCPItemText*> markerLabels_, peakLabels_, cursorLabels_;
    QCPGraph* cursorGraph_ = nullptr; // the harmonic or sideband cursor's lines
    QCPItemText* cursorMarksText_ = nullptr;
    QCPLayoutGrid* sideColumn_ = nullptr;   // the legend and the diagnosis beside the plot
    QCPLayoutElement* panelRoom_ = nullptr; // the diagnosis's room in it
};

} // namespace orbistan::ui
