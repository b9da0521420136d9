// A chart module of this very version whose interface is another: its functions take
// other arguments, so that calling them would crash. The program must refuse it.
#include "common/ProgramModule.h"

#include <cstdlib>

BIMBALA_MODULE_IDENTITY(999)

extern "C" Q_DECL_EXPORT void bimbala_make_share_chart() { std::abort(); }
extern "C" Q_DECL_EXPORT void bimbala_show_shares() { std::abort(); }
extern "C" Q_DECL_EXPORT void bimbala_show_counts() { std::abort(); }
