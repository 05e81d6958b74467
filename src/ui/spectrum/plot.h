#pragma once
// QCustomPlot for the windows. Its header says `signals`, `slots` and `foreach`, which the
// build turns off (QT_NO_KEYWORDS) so that they never clash with other libraries' names.

#define signals Q_SIGNALS
#define slots Q_SLOTS
#define foreach Q_FOREACH
#include <qcustomplot.h>
#undef signals
#undef slots
#undef foreach
