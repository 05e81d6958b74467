#pragma once
// The spectrum window: a measured spectrum or a waveform's spectrum with the current
// bearing's defect-frequency lines on it, a cursor that reads the peaks, and the peak table
// whose rows the frequency search explains. A click on a peak searches it in the main
// window.

#include "search/search.h"
#include "spectrum/envelope.h"
#include "spectrum/explain.h"
#include "spectrum/extremes.h"
#include "spectrum/open_file.h"
#include "spectrum/workbench_settings.h"

#include <QColor>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QCPGraph;
class QCPItemRect;
class QCPItemStraightLine;
class QCPItemText;
class QCPItemTracer;
class QCPLayer;
class QCheckBox;
class QThread;
class QTimer;

namespace Ui {
class TForm16;
}

namespace orbistan::ui {

// What the window needs of the main window's bearing: the frequencies as the search uses
// them, and the search fields' tolerance, maximum harmonic and maximum frequency.
struct SpectrumBearing {
    SearchBases bases;
    SearchParameters search;
    int precision = 1;
};

// The colour of a marker family, in the order of markerFamilies().
QColor familyColour(int family);

class TForm16 : public QWidget {
    Q_OBJECT
public:
    explicit TForm16(QWidget* parent = nullptr);
    ~TForm16() override;

    // Where the window keeps its settings file; read at once.
    void setProgramDir(const std::filesystem::path& dir);
    // Asked whenever the markers or the explanations are drawn; empty when nothing is
    // computed.
    void setBearingSource(std::function<std::optional<SpectrumBearing>()> source);
    // The main window computed anew: markers and explanations follow.
    void bearingChanged();

    // Opens a file as the button, Ctrl+O and a drop do; the work runs off the window's
    // thread and the previous spectrum stays until the new one is ready.
    void openFile(const std::filesystem::path& path);
    bool busy() const;
    // The spectrum shown: the file's, or the envelope spectrum of its band.
    const Spectrum* spectrum() const;
    bool showingEnvelope() const { return showingEnvelope_; }
    const std::vector<ExplainedPeak>& peakRows() const { return rows_; }
    // How many marker lines are drawn.
    int markerLineCount() const;

Q_SIGNALS:
    // A peak was clicked: its frequency, as the keypad should show it.
    void peakChosen(const QString& frequencyText);
    // The shaft speed that the spectrum or the file gives, as the Fr field should show it.
    void shaftSpeedChosen(const QString& frText);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Job;

    void setUpPlot();
    void setUpControls();
    void bindControls();
    void applySettingsToControls();
    void controlsChanged();
    void saveSettings();

    void chooseAndOpen();
    void startJob(const std::filesystem::path& path, int channel, bool keepRange,
                  bool overlay = false);
    void chooseOverlay();
    void clearOverlay();
    void drawOverlay();
    void runJob(std::shared_ptr<Job> job);
    void startEnvelope(std::optional<Band> band);
    void envelopeToggled(bool on);
    void bandEdited();
    void showCurrent(bool keepRange);
    const Spectrum& current() const;
    void showEvidence();
    void refineSpeed();
    void placeEvidencePanel();
    void jobFinished();
    void showProgress();
    void cancelJob();
    void showSpectrum(OpenedSpectrum opened, bool keepRange);
    void showFileProblem(const QString& message);
    void syncControlsToShown();

    void boundsEdited();
    void rangeChanged();
    void fitValueAxis();
    void showFullRange();

    void drawMarkers();
    void placeMarkers();
    void moveCursor(double frequency);
    void hideCursor();
    void chooseAt(double frequency);
    double snappedFrequency(double frequency, double* amplitude) const;

    void explainPeaks();
    void exportTable();
    void exportPlot(bool pdf);

    std::unique_ptr<Ui::TForm16> ui; // the form's controls, made by uic
    std::filesystem::path programDir_;
    WorkbenchSettings settings_;
    std::function<std::optional<SpectrumBearing>()> bearingSource_;
    std::array<QCheckBox*, kMarkerFamilyCount> familyBoxes_{};

    std::optional<OpenedSpectrum> shown_;
    std::shared_ptr<const Waveform> record_; // the shown file's waveform, for its envelope
    std::optional<Spectrum> envelope_;
    std::optional<Spectrum> displayed_; // what is drawn: the above, as velocity when asked
    std::optional<Spectrum> overlay_;   // a second file's spectrum, drawn under the first
    QCPGraph* overlayGraph_ = nullptr;
    Band envelopeBand_;
    bool showingEnvelope_ = false;
    QCPItemRect* bandRect_ = nullptr; // the band being chosen by a right-button drag
    std::optional<double> bandFrom_;
    std::filesystem::path shownPath_;
    int shownChannel_ = 0;
    TransformSettings shownTransform_;
    std::vector<ExplainedPeak> rows_;
    RangeExtremes extremes_; // of the shown amplitudes

    std::shared_ptr<Job> job_;
    QThread* worker_ = nullptr;
    QTimer* progressTimer_ = nullptr;

    QCPLayer* cursorLayer_ = nullptr;
    QCPItemStraightLine* cursorLine_ = nullptr;
    QCPItemTracer* cursorDot_ = nullptr;
    QCPItemText* readout_ = nullptr;
    // Per family, its harmonics' graph, then per family its sidebands' graph.
    std::array<QCPGraph*, 2 * kMarkerFamilyCount> markerGraphs_{};
    std::array<std::vector<double>, 2 * kMarkerFamilyCount> markerFrequencies_;
    QPoint pressedAt_;
};

} // namespace orbistan::ui
