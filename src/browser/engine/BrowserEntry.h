#pragma once

class QWidget;
class TBrowser;

// The browser library's entry point, which TBrowserHost looks up by name: makes
// the embedded browser as a child of parent and returns its widget, the browser
// itself in *browser. The engine starts only with the first page.
extern "C" QWidget *postwright_create_browser(QWidget *parent, TBrowser **browser);
