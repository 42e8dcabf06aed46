#pragma once

#include <memory>

#include "RowsSnapshot.h"

namespace tolvane {

class FileList;

// The one copy of the rows' names that all work of the window on other threads reads:
// the preview and the conflict check share it, so 100,000 names are held once more,
// not once per kind of work, and copied again only after the rows have changed.
class SharedRows {
  public:
    explicit SharedRows(const FileList& list) : list_(list) {}

    // The snapshot of the rows as they are now.
    std::shared_ptr<const RowsSnapshot> Now();

  private:
    const FileList& list_;
    std::shared_ptr<const RowsSnapshot> last_;
};

}  // namespace tolvane
