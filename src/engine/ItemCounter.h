#pragma once

namespace tolvane {

// The 1-based counter behind serial numbers and "<#>". It advances once per
// computed name and wraps to 1 after the row count, so a full pass in list order
// gives every row its row number and the next full pass starts again at 1.
class ItemCounter {
  public:
    int Advance(int rowCount) {
        value_ = value_ < rowCount ? value_ + 1 : 1;
        return value_;
    }
    int Value() const { return value_; }
    void Reset() { value_ = 0; }

  private:
    int value_ = 0;
};

}  // namespace tolvane
