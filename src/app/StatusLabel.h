#pragma once

#include <QLabel>

namespace tolvane {

// A line of the window that reports what happened (the summary under the list, the
// status text): a screen reader hears what it shows now, not the caption it was made
// with. Its accessible name is the shown text, or its description (what the line is)
// while it shows nothing, and it offers its text through the text interface.
class StatusLabel : public QLabel {
    Q_OBJECT

  public:
    explicit StatusLabel(const QString& text, QWidget* parent = nullptr);

    // Shows `text`; a screen reader is told when the text changes.
    void Show(const QString& text);
    // Tells a screen reader the shown text again, also when it did not change (a
    // second pass with the same outcome is news too).
    void Announce();
    // What a screen reader is given as the line's name.
    QString SpokenText() const;

  signals:
    // A screen reader was told `text`.
    void Announced(const QString& text);
};

}  // namespace tolvane
