#pragma once
// The whole application and dialog framework in one include.

#include "framework/button.h"
#include "framework/check_list_box.h"
#include "framework/command_line_info.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/list_box.h"
#include "framework/paint_dc.h"
#include "framework/progress_ctrl.h"
#include "framework/static_ctrl.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
