#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panel/panel_model.h"
#include "platform/program_files.h"
#include "platform/random.h"
#include "platform/settings_store.h"
#include "platform/tips_dialog.h"
#include "core/texts.h"

namespace blindfold {

// The acknowledgments file beside the executable, one entry per line.
inline constexpr std::string_view kTipsFileName = "acknowledgments.TXT";

// The per-user value that lets the acknowledgments dialog open ("0" keeps it
// closed), under the executable's base name.
std::string ShowTipsAtStartupPath(std::string_view executableBaseName);

// What the label shows when the file cannot be found: how to create it.
std::string MissingTipsFileMessage(std::string_view fileName);

// The acknowledgments dialog's controls as plain data, at their designed values.
struct TipsDialogModel {
  std::string caption{texts::kTipsTitle};
  Label heading{std::string(texts::kTipsHeading)};  // the heading beside the picture
  Label lblTipText;
  Button cmdNextTip;
  Button cmdOK;
  CheckBox chkLoadTipsAtStartup{0, true, false, ""};  // "&Show Tips at Startup", never shown
  bool unloaded = false;  // the dialog closed itself, or was closed
};

// The platform services the acknowledgments dialog works with.
struct TipsPlatform {
  RegistryBackend& registry;
  ProgramFiles& files;
  RandomSource& random;
};

// The acknowledgments dialog: one random line of the acknowledgments file at a
// time. One object may serve every opening; Load starts each afresh.
class AcknowledgmentsDialog final : public TipsDialogEvents {
 public:
  explicit AcknowledgmentsDialog(const TipsPlatform& platform) : platform_(platform) {}

  void Load();
  // Reads `sFile` into TipLines and shows a random entry; false when the path
  // is empty or the file cannot be found or read.
  bool LoadTips(const std::string& sFile);
  void PickRandomTip();
  void DisplayCurrentTip();

  void cmdNextTip_Click() { PickRandomTip(); }
  void cmdOK_Click() { dialog.unloaded = true; }
  void chkLoadTipsAtStartup_Click();

  TipsDialogContent Content() const override {
    return {dialog.caption, dialog.heading.caption, dialog.lblTipText.caption};
  }
  bool Closed() const override { return dialog.unloaded; }
  void NextClicked() override { cmdNextTip_Click(); }
  void OkClicked() override { cmdOK_Click(); }

  TipsDialogModel dialog;
  std::vector<std::string> TipLines;  // entry n is TipLines[n - 1]
  std::int32_t CurrentTipIndex = 0;   // 1-based

 private:
  // Changes the check box the way a user's click would: its click handler runs
  // only when the value really changes.
  void SetLoadTipsAtStartup(int value);
  bool ShowTipsAtStartup();

  TipsPlatform platform_;
};

}  // namespace blindfold
