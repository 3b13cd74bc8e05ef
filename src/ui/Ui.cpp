// The windows.
namespace dovrin::ui {
}
