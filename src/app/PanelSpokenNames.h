#pragma once

#include <QHash>
#include <QString>

namespace tolvane {

class Language;
class OptionPanel;

// How the option panel's controls are heard by a screen reader: each input by its
// label's caption (the label its buddy, so that its mnemonic reaches it), and what has
// no caption of its own by a name in the interface language.
class PanelSpokenNames {
  public:
    explicit PanelSpokenNames(OptionPanel& panel) : panel_(panel) {}

    // A label becomes the buddy of the first focusable control after it on its row.
    void SetBuddies();
    // Every named control takes its label's caption (`captions`, by id) as spoken.
    void Refresh(const QHash<int, QString>& captions);
    // The progress bar, the status line while it is empty, the arrows of the number fields.
    void Apply(const Language& language);

  private:
    OptionPanel& panel_;
};

}  // namespace tolvane
