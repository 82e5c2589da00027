#pragma once
// The main window's pages as one table: creation, layout, relayout,
// switching and the navigation strip all read it. Adding a page is one
// entry where the main window creates its pages.
#include <vector>

class CPage;
class CxSkinButton;

// Page indexes of the main window.
enum PageIndex : int {
    kPageDevInfo = 0,
    kPageOperate = 3,
    kPageCapacity = 14,
};

struct PageSlot {
    int index;
    CPage* page;
    CxSkinButton* button; // the page's button on the strip
    const char* captionKey;
};

using PageTable = std::vector<PageSlot>;
