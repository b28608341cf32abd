// Pictures of each dialog after a computation, for looking at the layout. Runs only when
// VANTREL_SCREENSHOT_DIR names a folder.
#include <QTemporaryDir>

#include "geodetic/ui/dcm_hfrm.h"
#include "geodetic/ui/frm_lan_ch.h"
#include "geodetic/ui/frm_seven.h"
#include "geodetic/ui/quantity_frms.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

template <class D>
void Shoot(const char* file, std::initializer_list<std::pair<const char*, const char*>> typed,
           std::initializer_list<const char*> presses) {
  testing::Harness<D> h;
  for (auto& [field, text] : typed) h.Type(field, text);
  for (const char* b : presses) h.Press(b);
  testing::MaybeScreenshot(h.dialog, file);
}

TEST(Screenshots, EachDialog) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no picture folder";
  Shoot<RadiusFrm>("radius_frm.png", {{"Text1", "30"}, {"Text2", "45"}}, {"Radius_cal"});
  Shoot<MArcLenFrm>("marclen_frm.png", {{"Text1", "0"}, {"Text2", "1"}}, {"Radius_cal"});
  Shoot<NArcLenFrm>("narclen_frm.png", {{"Text1", "0"}, {"Text2", "1"}}, {"Radius_cal"});
  Shoot<ThreeCorFrm>("three_cor_frm.png",
                     {{"Text1", "30"}, {"Text2", "30"}, {"Text3", "3"}, {"Text4", "4"},
                      {"Text5", "500"}, {"Text6", "5000"}, {"Text7", "45"}, {"Text8", "89"}},
                     {"Radius_cal"});
  Shoot<FrmLanCh>("frm_lan_ch.png", {}, {"LanCh_Cal"});
  Shoot<DCM_Hfrm>("dcm_hfrm.png", {}, {"DCM_H_Cal"});
  QTemporaryDir grid;
  testing::Harness<FrmSeven> h;
  h.dialog->SetGridPath(grid.filePath("tmp.out").toStdString());
  h.Press("Command1");
  h.Press("Command2");
  testing::MaybeScreenshot(h.dialog, "frm_seven.png");
}

}  // namespace
}  // namespace vantrel
