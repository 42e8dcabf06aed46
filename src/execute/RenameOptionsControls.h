#pragma once

#include "OptionControlStates.h"
#include "engine/RenameOptions.h"

namespace tolvane {

// The option controls of a window that is not shown: the states live in a
// RenameOptions. The two preset lists have as many items as the window would list.
class RenameOptionsControls final : public OptionControlStates {
  public:
    RenameOptionsControls(RenameOptions& options, int regexPresetCount, int templatePresetCount);

    std::wstring Text(int id) const override;
    void SetText(int id, std::wstring_view text) override;
    int Selection(int id) const override;
    int ItemCount(int id) const override;
    void SetSelection(int id, int index) override;
    bool Checked(int id) const override;
    void SetChecked(int id, bool checked) override;

  private:
    std::wstring* TextField(int id) const;
    int* SelectionField(int id) const;
    bool* CheckField(int id) const;

    RenameOptions& options_;
    int regexPresetCount_;
    int templatePresetCount_;
};

}  // namespace tolvane
