#include "web_window_port.h"

// The page's program: the window starts, and lives as long as the page.
int main() {
    stakora::web::start();
    return 0;
}
