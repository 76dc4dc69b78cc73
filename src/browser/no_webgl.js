// The browser's SDL hands out a screen surface even when the page cannot have a WebGL
// context; without one there is no OpenGL video mode, so the surface is refused and
// SDL_SetVideoMode fails as it would on a desktop without OpenGL.
(function () {
  var makeSurface = SDL.makeSurface;
  SDL.makeSurface = function (width, height, flags) {
    var surface = makeSurface.apply(SDL, arguments);
    var openGl = flags & 0x04000000;
    if (surface && openGl && !SDL.surfaces[surface].ctx) {
      SDL.freeSurface(surface);
      SDL.errorMessage = allocateUTF8("this browser gives the page no WebGL");
      return 0;
    }
    return surface;
  };
})();
