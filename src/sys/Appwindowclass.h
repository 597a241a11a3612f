// The class of the application window that the toolkit registers: the product's programs share it,
// so the single-instance test and the close request find them by it.
#pragma once

constexpr char kAppWindowClass[] = "TApplication";
