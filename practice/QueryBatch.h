#pragma once
// Groups the query's change notifications: the host hears of them once, when the
// outermost batch ends. Shared by the query's source files.

#include "practice/Query.h"

class cQuery::cBatch {
public:
    explicit cBatch(cQuery& query) : m_query(query) { ++m_query.m_nBatchDepth; }
    ~cBatch()
    {
        if (--m_query.m_nBatchDepth == 0)
            m_query.Flush();
    }
    cBatch(const cBatch&) = delete;
    cBatch& operator=(const cBatch&) = delete;

private:
    cQuery& m_query;
};
