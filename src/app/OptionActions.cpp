#include "OptionActions.h"

#include <QComboBox>

#include "DisplayText.h"
#include "OptionPanel.h"
#include "execute/OptionSection.h"
#include "execute/UserTemplates.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace tolvane {

OptionActions::OptionActions(OptionPanel& panel, const Settings& settings, const Language& language,
                             QObject* parent)
    : QObject(parent), panel_(panel), settings_(settings), language_(language) {}

void OptionActions::FillLists(const StartupSettings& startup) {
    panel_.SetItems(ctl::kAnchorSide, AnchorSideItems(language_));
    panel_.SetSelection(ctl::kAnchorSide, 0);
    regexPresets_ = BuildRegexPresetList(startup.userRegex, language_);
    panel_.SetItems(ctl::kRegexPreset, regexPresets_.items);
    panel_.SetItems(ctl::kConversion, ConversionItems(language_));
    panel_.SetItems(ctl::kSequence, SequenceItems(language_));
    panel_.SetItems(ctl::kTemplatePreset,
                    BuildTemplatePresetList(startup.userTemplates, language_));
    ShowDirection();
}

void OptionActions::ApplyRegexPreset(int index) {
    RenameOptions options = panel_.Snapshot();
    tolvane::ApplyRegexPreset(options, regexPresets_, index);
    panel_.SetText(ctl::kFindText, options.findText);
    panel_.SetChecked(ctl::kUseRegex, true);
    emit RecomputeRequested(ctl::kRegexPreset);
}

void OptionActions::ApplyTemplatePreset(int index) {
    std::vector<std::wstring> items = panel_.Items(ctl::kTemplatePreset);
    if (index < 0 || static_cast<size_t>(index) >= items.size())
        return;
    const TemplateChoice choice =
        ChooseTemplatePreset(items[static_cast<size_t>(index)], language_);
    if (choice.clearUserTemplates) {
        ClearUserTemplates(settings_, items);
        panel_.SetItems(ctl::kTemplatePreset, items);
        return;
    }
    panel_.SetText(ctl::kTemplateText, choice.templateText);
    emit RecomputeRequested(ctl::kTemplatePreset);
}

void OptionActions::AddUserTemplate() {
    std::vector<std::wstring> items = panel_.Items(ctl::kTemplatePreset);
    tolvane::AddUserTemplate(settings_, panel_.Text(ctl::kTemplateText), items);
    panel_.SetItems(ctl::kTemplatePreset, items);
    panel_.SetSelection(ctl::kTemplatePreset, 0);
}

void OptionActions::ToggleDeleteDirection() {
    RenameOptions options = panel_.Snapshot();
    tolvane::ToggleDeleteDirection(options);
    panel_.SetDirection(options.deleteDirection, {});
    ShowDirection();
    emit RecomputeRequested(ctl::kDeleteDirection);
}

void OptionActions::ShowDirection() {
    const bool forward = panel_.Direction() == DeleteDirection::LeftToRight;
    panel_.SetDirection(panel_.Direction(),
                        QString::fromStdWString(language_.Text(forward ? "l2r" : "r2l")));
}

void OptionActions::ResetOptions() {
    RenameOptions options = panel_.Snapshot();
    tolvane::ResetOptions(options);
    panel_.ApplySilently(options);
    panel_.UpdateEnabling();
}

void OptionActions::LoadLastOptions() {
    LoadOptionSection(panel_, kLastSetSection, settings_.File());
    panel_.UpdateEnabling();
    emit RecomputeRequested(ctl::kRenameLikeLast);
}

}  // namespace tolvane
