#include "app/dialogs/SearchEngine.h"

#include "app/core/Processing.h"

namespace vellumora {

void SearchClear()
{
    Search.SearchRegExp.reset();
    Search.SearchCanvasList.clear();
    Search.SearchMatchList.clear();
    Search.SearchCanvasCursor = -1;
    Search.SearchBoxCursor = -1;
    Search.SearchMatchCursor = -1;
    Search.SearchFoundFlag = false;
    Search.SearchCurrentMatch = SearchMatchRecord::Default;
}

void SearchTerminate()
{
    SearchClear();
    Search.SearchCanvasList.shrink_to_fit();
    Search.SearchMatchList.shrink_to_fit();
}

void SearchReset()
{
    SearchClear();
    SearchStateShow(QString());
}

bool SearchFound()
{
    return Search.SearchFoundFlag;
}

// The search over the canvases is not built yet: nothing is ever highlighted or found.
void SearchHighlightHide(bool clear)
{
    if (clear)
        SearchClear();
}

bool SearchExecute()
{
    SearchClear();
    return false;
}

void SearchNextShow() {}

} // namespace vellumora
