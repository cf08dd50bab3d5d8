// The tests' way into the setup dialog: its regions and cells, which the
// dialog keeps private.
#pragma once

#include "app/FrmSetup.h"

namespace kestrin {

class TFrmSetupProbe {
 public:
  explicit TFrmSetupProbe(TFrmSetup& dialog) : d_(dialog) {}

  TFrmSetupUi& Ui() const { return d_.ui_; }

 private:
  TFrmSetup& d_;
};

}  // namespace kestrin
