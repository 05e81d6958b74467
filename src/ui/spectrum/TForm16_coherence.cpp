// The spectrum window's spectral coherence: its tab draws the record's map, made when the tab
// is first looked at, with the enhanced envelope spectrum of the carriers chosen; that
// spectrum is the envelope shown on the spectrum's tab, with its labels and cursors. The
// diagnosis's method is chosen here or in the plot's menu.
#include "ui/spectrum/TForm16.h"

#include "ui/spectrum/coherence_view.h"

#include <QTabBar>

namespace orbistan::ui {

void TForm16::setUpCoherence() {
    addViewTab("Когерентность", "Спектральная когерентность записи: циклическая частота против "
                                "несущей; линии подшипника поверх");
    coherenceView_ = new CoherenceView(this);
    coherenceView_->hide();
    connect(coherenceView_, &CoherenceView::carriersChosen, this,
            [this](Band carriers) { applyChange(doc_.chooseCarriers(carriers)); });
    connect(coherenceView_, &CoherenceView::diagnosisMethodChosen, this, [this](bool on) {
        setEnvelopeMethod(on ? EnvelopeMethod::Coherence : EnvelopeMethod::Best);
    });
}

void TForm16::showCoherence() {
    viewTabs_->setTabEnabled(5, doc_.hasRecord());
    if (!doc_.hasRecord() && viewTabs_->currentIndex() == 5) {
        viewTabs_->setCurrentIndex(0);
    }
    const bool ofCoherence =
        doc_.showingEnvelope() && doc_.envelopeMethod() == EnvelopeMethod::Coherence;
    const std::optional<WorkbenchBearing>& bearing = doc_.bearing();
    coherenceView_->setFailure(QString::fromStdString(doc_.coherenceFailure()));
    coherenceView_->show(doc_.coherence(),
                         ofCoherence ? std::optional(doc_.envelopeBand()) : std::nullopt,
                         ofCoherence ? doc_.displayed() : nullptr,
                         bearing ? std::optional(bearing->bases) : std::nullopt,
                         doc_.settings().method == EnvelopeMethod::Coherence);
    makeCoherenceIfLooked(false);
}

// The coherence made when its tab is looked at and the record has none; once only after it
// failed or was cancelled, unless the tab is chosen again (`asked`).
void TForm16::makeCoherenceIfLooked(bool asked) {
    if (viewTabs_->currentIndex() == 5 && doc_.hasRecord() && !doc_.coherence() && !busy() &&
        (asked || doc_.coherenceFailure().empty())) {
        run(doc_.coherenceTask());
    }
}

void TForm16::setEnvelopeMethod(EnvelopeMethod method) {
    WorkbenchSettings s = doc_.settings();
    s.method = method;
    applyChange(doc_.changeSettings(s, doc_.shown() ? doc_.shown()->source : 0));
    showCoherence();
}

} // namespace orbistan::ui
