#pragma once
// host_window   the main window
