/* A native Wayland client (wl_shm and xdg-shell, no toolkit) that shows the test pattern of
 * pattern.h fullscreen, and runs until it is killed or the compositor goes away. Being a Wayland
 * client, its pixels cannot be read through Xwayland. */
#define _GNU_SOURCE
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "pattern.h"
#include "xdg-shell-client-protocol.h"

static struct wl_compositor* compositor;
static struct wl_shm* shm;
static struct xdg_wm_base* wm_base;
static struct wl_surface* surface;
static struct wl_buffer* buffer;
static int width, height;

static void Die(const char* what) {
  fprintf(stderr, "pattern_client: %s\n", what);
  exit(1);
}

static void Ping(void* data, struct xdg_wm_base* base, uint32_t serial) {
  (void)data;
  xdg_wm_base_pong(base, serial);
}
static const struct xdg_wm_base_listener wm_base_listener = {Ping};

static void Global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data, (void)version;
  if (strcmp(interface, wl_compositor_interface.name) == 0)
    compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 4);
  else if (strcmp(interface, wl_shm_interface.name) == 0)
    shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
  else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
    wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    xdg_wm_base_add_listener(wm_base, &wm_base_listener, NULL);
  }
}
static void GlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registry_listener = {Global, GlobalRemove};

/* A buffer of the surface's size with the pattern drawn from the monitor's top-left corner,
 * where a fullscreen surface sits. */
static struct wl_buffer* DrawPattern(int w, int h) {
  size_t size = (size_t)w * (size_t)h * 4;
  int fd = memfd_create("hueclip-pattern", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, (off_t)size) != 0) Die("cannot make shared memory");
  uint32_t* px = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (px == MAP_FAILED) Die("cannot map shared memory");
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[y * w + x] = (uint32_t)PatternAt(x, y);
  munmap(px, size);
  struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, (int32_t)size);
  struct wl_buffer* b = wl_shm_pool_create_buffer(pool, 0, w, h, w * 4, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return b;
}

static void SurfaceConfigure(void* data, struct xdg_surface* xdg_surface, uint32_t serial) {
  (void)data;
  xdg_surface_ack_configure(xdg_surface, serial);
  int w = width > 0 ? width : kPatternWidth, h = height > 0 ? height : kPatternHeight;
  if (buffer) return; /* the monitor never changes size in the tests */
  buffer = DrawPattern(w, h);
  wl_surface_attach(surface, buffer, 0, 0);
  wl_surface_damage(surface, 0, 0, w, h);
  wl_surface_commit(surface);
}
static const struct xdg_surface_listener surface_listener = {SurfaceConfigure};

static void ToplevelConfigure(void* data, struct xdg_toplevel* toplevel, int32_t w, int32_t h,
                              struct wl_array* states) {
  (void)data, (void)toplevel, (void)states;
  width = w, height = h;
}
static void ToplevelClose(void* data, struct xdg_toplevel* toplevel) {
  (void)data, (void)toplevel;
  exit(0);
}
static const struct xdg_toplevel_listener toplevel_listener = {.configure = ToplevelConfigure,
                                                               .close = ToplevelClose};

int main(void) {
  struct wl_display* display = wl_display_connect(NULL);
  if (!display) Die("cannot connect to the Wayland display");
  wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (!compositor || !shm || !wm_base) Die("the compositor lacks wl_shm or xdg-shell");

  surface = wl_compositor_create_surface(compositor);
  /* No input: a click that misses a dialog just gone raises no fullscreen window over the rest. */
  struct wl_region* none = wl_compositor_create_region(compositor);
  wl_surface_set_input_region(surface, none), wl_region_destroy(none);
  struct xdg_surface* xdg_surface = xdg_wm_base_get_xdg_surface(wm_base, surface);
  xdg_surface_add_listener(xdg_surface, &surface_listener, NULL);
  struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdg_surface);
  xdg_toplevel_add_listener(toplevel, &toplevel_listener, NULL);
  xdg_toplevel_set_title(toplevel, "Hueclip test pattern");
  xdg_toplevel_set_fullscreen(toplevel, NULL);
  wl_surface_commit(surface);
  while (wl_display_dispatch(display) != -1) {
  }
  return 0;
}
