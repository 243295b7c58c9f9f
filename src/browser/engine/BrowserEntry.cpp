#include "BrowserEntry.h"

#include "TEmbeddedWB.h"

extern "C" Q_DECL_EXPORT QWidget *postwright_create_browser(QWidget *parent, TBrowser **browser)
{
    auto *view = new TEmbeddedWB(parent);
    *browser = view;
    return view;
}
