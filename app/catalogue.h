#pragma once
// The catalogue: the four pages of entries and the dispatch from an entry's text to the
// dialog it opens. A dialog joins by changing its one line in catalogue.cpp.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"

namespace vantrel {

class VDialog;

using DialogFactory = std::function<VDialog*(AppState&, const Services&)>;

struct CatalogueEntry {
  QString text;           // the entry's identity, as shown in the list
  QString form;           // the dialog's form name
  DialogFactory factory;  // empty while the dialog is not built yet
};

// Creates a dialog of class T (constructor T(AppState&, const Services&)).
template <class T>
VDialog* Make(AppState& state, const Services& services) {
  return new T(state, services);
}

// In dispatch order; the first entry whose text matches opens.
const std::vector<CatalogueEntry>& DispatchTable();

// The entries of page 1 to 4 in list order (empty for any other number).
QStringList PageEntries(int page);

// Creates the dialog of an entry; an entry without a dialog yet, or an unknown text, gets a
// window with the entry's caption saying so. Never null.
VDialog* CreateDialog(const QString& text, AppState& state, const Services& services);

// The window shown for an entry whose dialog is not built yet.
extern const char* const kNotBuiltText;

}  // namespace vantrel
