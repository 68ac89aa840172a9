/* The program's identity: shared by the banner, the window caption, the web
   link and the Windows version record. Plain macros, so the resource compiler
   reads this file as well as the C++ compiler. Texts are UTF-8. */
#pragma once

#define LANDUO_VERSION_TEXT "1.0.4.2"
#define LANDUO_VERSION_FIXED 1, 0, 4, 2
#define LANDUO_PRODUCT_NAME "澜 朵 ~ 记 事 本  V 2.0"
#define LANDUO_AUTHOR_NAME "林朵朵"
#define LANDUO_CONTACT_PREFIX "QQ:"
#define LANDUO_CONTACT_NUMBER "20100406"
#define LANDUO_MAKER_NAME "澜朵工作室"
#define LANDUO_MAKER_CREDIT LANDUO_MAKER_NAME "·出品"
#define LANDUO_WEB_ADDRESS "http://landuo.example.org/"
