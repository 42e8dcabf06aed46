#include "RenameOptionsControls.h"

#include "engine/ControlTable.h"

namespace tolvane {

RenameOptionsControls::RenameOptionsControls(RenameOptions& options, int regexPresetCount,
                                             int templatePresetCount)
    : options_(options),
      regexPresetCount_(regexPresetCount),
      templatePresetCount_(templatePresetCount) {}

std::wstring* RenameOptionsControls::TextField(int id) const {
    RenameOptions& o = options_;
    switch (id) {
        case ctl::kHiddenCombo: return &o.hiddenComboText;
        case ctl::kInsertText: return &o.insertText;
        case ctl::kInsertPositionEdit: return &o.insertPosition;
        case ctl::kAnchorText: return &o.anchorText;
        case ctl::kFindText: return &o.findText;
        case ctl::kReplaceText: return &o.replaceText;
        case ctl::kDeletePositionEdit: return &o.deletePosition;
        case ctl::kLocatorText: return &o.locatorText;
        case ctl::kDeleteCountEdit: return &o.deleteCount;
        case ctl::kSerialStartEdit: return &o.serialStart;
        case ctl::kSerialIncrementEdit: return &o.serialIncrement;
        case ctl::kSerialDigitsEdit: return &o.serialDigits;
        case ctl::kTemplateText: return &o.templateText;
        case ctl::kFilter: return &o.filterText;
        case ctl::kTextModeEditor: return &o.textModeText;
        case ctl::kInPlaceEditor: return &o.inPlaceText;
        default: return nullptr;
    }
}

int* RenameOptionsControls::SelectionField(int id) const {
    RenameOptions& o = options_;
    switch (id) {
        case ctl::kConversion: return &o.conversion;
        case ctl::kSequence: return &o.sequenceMode;
        case ctl::kAnchorSide: return &o.anchorSide;
        case ctl::kRegexPreset: return &o.regexPreset;
        case ctl::kTemplatePreset: return &o.templatePreset;
        default: return nullptr;
    }
}

bool* RenameOptionsControls::CheckField(int id) const {
    RenameOptions& o = options_;
    switch (id) {
        case ctl::kIncludeSubfolders: return &o.includeSubfolders;
        case ctl::kRenameFolders: return &o.renameFolders;
        case ctl::kInsertPrefix: return &o.insertPrefix;
        case ctl::kInsertSuffix: return &o.insertSuffix;
        case ctl::kInsertAtPosition: return &o.insertAtPosition;
        case ctl::kInsertAtText: return &o.insertAtText;
        case ctl::kUseRegex: return &o.useRegex;
        case ctl::kDeleteAtPosition: return &o.deleteAtPosition;
        case ctl::kDeleteAtLocator: return &o.deleteAtLocator;
        case ctl::kSerialEnabled: return &o.serialEnabled;
        case ctl::kTextMode: return &o.textMode;
        case ctl::kIgnoreExtension: return &o.ignoreExtension;
        default: return nullptr;
    }
}

std::wstring RenameOptionsControls::Text(int id) const {
    const std::wstring* field = TextField(id);
    return field ? *field : std::wstring();
}

void RenameOptionsControls::SetText(int id, std::wstring_view text) {
    if (std::wstring* field = TextField(id))
        field->assign(text);
}

int RenameOptionsControls::Selection(int id) const {
    const int* field = SelectionField(id);
    return field ? *field : -1;
}

int RenameOptionsControls::ItemCount(int id) const {
    switch (id) {
        case ctl::kConversion: return 10;
        case ctl::kSequence: return 6;
        case ctl::kAnchorSide: return 2;
        case ctl::kRegexPreset: return regexPresetCount_;
        case ctl::kTemplatePreset: return templatePresetCount_;
        default: return 0;
    }
}

void RenameOptionsControls::SetSelection(int id, int index) {
    if (int* field = SelectionField(id))
        *field = index >= 0 && index < ItemCount(id) ? index : -1;
}

bool RenameOptionsControls::Checked(int id) const {
    const bool* field = CheckField(id);
    return field ? *field : false;
}

void RenameOptionsControls::SetChecked(int id, bool checked) {
    if (bool* field = CheckField(id))
        *field = checked;
}

}  // namespace tolvane
