#pragma once
// 控制网平差 / 水准网平差: an observation file typed or opened in a text box and adjusted by the
// routine behind the command line's `adjust`; the report shown and saved exactly as the command
// line writes it, and the network drawn with its error ellipses and the most probable blunder
// in red. One window for both entries; the mode decides which options and drawing come first.
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "batch/network_adjustment.h"
#include "batch/network_file.h"
#include "batch/network_report.h"
#include "dialogs/vdialog.h"

class QCheckBox;
class QGraphicsScene;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vantrel {

namespace page4 {
class ReportView;
class ZoomView;
}  // namespace page4

class NetworkAdjustFrm : public VDialog {
  Q_OBJECT

 public:
  enum class Mode { Plane, Levelling };
  // The keys of the drawing's items (QGraphicsItem::data), for whoever checks what is drawn:
  // kind is "known", "new", "line", "blunder" or "ellipse"; name the point's name, or the
  // two ends of a line as "A-B".
  static constexpr int kItemKind = 0, kItemName = 1;

  NetworkAdjustFrm(AppState& state, const Services& services, Mode mode = Mode::Plane,
                   QWidget* parent = nullptr);

  void Command_New_Click();
  void Command_Open_Click();
  void Command_Save_Click();
  void Command_SaveAs_Click();
  void Command_Adjust_Click();
  void Command_SaveText_Click();
  void Command_SaveHtml_Click();
  void Command_SaveJson_Click();

  QGraphicsScene* Scene() const { return scene_; }
  const QString& FilePath() const { return path_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Adjusted {
    batch::NetworkFile file;
    batch::NetworkAdjustment adjustment;
    std::string name;
    batch::NetworkReportOptions options;
    std::vector<std::string> lines;  // the text report
  };

  // The option fields read in order into the overrides; false after the first bad one's message.
  bool ReadOptions(batch::NetworkOverrides& o, double& ellipseScale);
  // A positive figure below 1e9 from an optional field; false (and a message) when it is not.
  bool ReadSigma(QLineEdit* field, const QString& what, bool zeroAllowed, std::optional<double>& value);
  // Asks before the typed text is thrown away: true when there is nothing unsaved, or when the
  // user presses again after being told.
  bool MayDiscard();
  void Load(const QString& text, const QString& path, bool utf8);
  bool WriteObservations(const QString& path);
  void ShowAdjusted();
  void ClearAdjusted();
  void Draw();
  void DrawPlane(const batch::NetworkAdjustment& a, const batch::NetworkFile& f);
  void DrawLevelling(const batch::NetworkAdjustment& a, const batch::NetworkFile& f);
  // The reader's "FILE:LINE: reason": the text box's cursor on that line.
  void GoToLine(const std::string& error, const std::string& name);
  void Warn(const QString& text);

  Mode mode_;
  QString path_;       // the observation file's path, "" for one typed here
  bool utf8_ = false;  // the file was UTF-8: saved as UTF-8 again
  bool discardArmed_ = false;
  std::optional<std::string> fileBytes_;  // the file's bytes while the box shows them unedited
  std::optional<Adjusted> adjusted_;

  QPlainTextEdit* editor_ = nullptr;
  QLabel* fileLabel_ = nullptr;
  QLineEdit* directionSigma_ = nullptr;
  QLineEdit* angleSigma_ = nullptr;
  QLineEdit* distanceA_ = nullptr;
  QLineEdit* distanceB_ = nullptr;
  QLineEdit* ellipseScale_ = nullptr;
  QLineEdit* levelSigma_ = nullptr;
  QRadioButton* aPosteriori_ = nullptr;
  QRadioButton* aPriori_ = nullptr;
  QCheckBox* free_ = nullptr;
  QLineEdit* datumPoints_ = nullptr;
  page4::ReportView* report_ = nullptr;
  page4::ZoomView* view_ = nullptr;
  QGraphicsScene* scene_ = nullptr;
  QLabel* scaleLabel_ = nullptr;
  QLabel* blunderLabel_ = nullptr;
  std::vector<QPushButton*> reportButtons_;
};

}  // namespace vantrel
