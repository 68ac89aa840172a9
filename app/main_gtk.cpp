// The Linux program: the core's handlers on the GTK 3 platform.
#include "app/app.h"
#include "ui/gtk/gtk_platform.h"

int main() {
    landuo::ui::gtk::GtkPlatform platform(landuo::app::Handlers());
    return landuo::app::Main(platform);
}
