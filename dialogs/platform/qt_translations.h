#pragma once
// Qt's own texts (standard buttons, file dialogs, context menus) in Chinese, as the rest
// of the program is, whatever the system's language.
class QCoreApplication;

namespace vantrel {

// Loads Qt's Simplified Chinese catalogue from Qt's translations folder into the
// application. False when the catalogue is not installed (the standard texts stay English).
bool LoadQtChinese(QCoreApplication& app);

}  // namespace vantrel
