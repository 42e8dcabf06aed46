#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The states of the option controls as an option section sees them. The window
// implements it over its widgets; RenameOptionsControls over a RenameOptions.
class OptionControlStates {
  public:
    virtual ~OptionControlStates() = default;

    // Edits and editable combo boxes.
    virtual std::wstring Text(int id) const = 0;
    virtual void SetText(int id, std::wstring_view text) = 0;

    // Drop-down lists: the selected index, -1 for none.
    virtual int Selection(int id) const = 0;
    virtual int ItemCount(int id) const = 0;
    virtual void SetSelection(int id, int index) = 0;

    // Check boxes and radio buttons (push buttons are never checked).
    virtual bool Checked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
};

}  // namespace tolvane
