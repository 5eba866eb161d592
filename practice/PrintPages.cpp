// The printout of the open task list, page by page.

#include "practice/Query.h"

#include "base/Settings.h"

int cQuery::PrintPageCount() const
{
    if (!HasCurrentQuestionnaire())
        return 0;
    return ::PrintPageCount(Data(), m_rows.Tasks(), m_settings.m_nPrintSelection);
}

cPrintPage cQuery::LayoutPrintPage(const cPrintRect& rect, int page,
                                   const cTextMeasure& measure) const
{
    // The printout is the list as shown, and says so when a search narrows it.
    return ::LayoutPrintPage(Data(), m_rows.Tasks(),
                             PrintTitle(m_strLoadedTitle, m_bSearching, m_strSearchText, RowCount()),
                             m_settings.m_nPrintSelection, rect, page, measure);
}
