#pragma once

#include <functional>

class TConsulta;

// Walks every row of an open query, calling the procedure once per row with the query on that
// row. The query's position is restored afterwards, also when the procedure fails (to the row
// it was on, or to the last row when it now has fewer); a failure of the procedure ends the
// walk and is passed on.
void PercorrerDataSet(TConsulta& ADataSet, const std::function<void(TConsulta&)>& AProc);

// The same for a procedure that needs no argument.
void PercorrerDataSet(TConsulta& ADataSet, const std::function<void()>& ACallBack);
