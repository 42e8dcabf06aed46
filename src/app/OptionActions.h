#pragma once

#include <QObject>

#include "engine/OptionLists.h"

namespace tolvane {

class Language;
class OptionPanel;
class Settings;
struct StartupSettings;

// What the option controls do beyond holding values: the lists they offer, the
// pattern and template presets, adding a user template, the direction link, reset
// and "照上次改". Each change that affects the new names asks for a recomputation.
class OptionActions : public QObject {
    Q_OBJECT

  public:
    OptionActions(OptionPanel& panel, const Settings& settings, const Language& language,
                  QObject* parent = nullptr);

    // The items of the drop-down lists, with the user's patterns and templates as
    // they were stored when the window started.
    void FillLists(const StartupSettings& startup);

    void ApplyRegexPreset(int index);
    void ApplyTemplatePreset(int index);
    void AddUserTemplate();
    void ToggleDeleteDirection();
    // Every option back to a fresh window's, the direction kept; the names shown stay
    // until the next change.
    void ResetOptions();
    // The options of the last pass, from section "lastSet".
    void LoadLastOptions();

  signals:
    void RecomputeRequested(int triggerId);

  private:
    void ShowDirection();

    OptionPanel& panel_;
    const Settings& settings_;
    const Language& language_;
    RegexPresetList regexPresets_;
};

}  // namespace tolvane
