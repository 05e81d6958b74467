#include "ui/kit/info_box.h"

#include "base/bearing_type.h"
#include "ui/kit/text.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace orbistan::ui {

QStringList displayedLines(const QPlainTextEdit& box) {
    QStringList lines;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0) {
            lines << block.text(); // not laid out yet: one line
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

QString joinInformation(const QStringList& lines) {
    // The box holds only what code page 1251 can hold, so the conversion is exact.
    std::vector<std::string> core;
    for (const QString& line : lines) {
        core.push_back(toCore(line));
    }
    return fromCore(assembleInformation(core));
}

} // namespace orbistan::ui
