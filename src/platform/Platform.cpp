// The platform layer: what the Linux desktop provides to the windows.
namespace dovrin::platform {
}
