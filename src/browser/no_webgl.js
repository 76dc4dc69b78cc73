// The browser's SDL hands out a screen surface even when the page cannot have a WebGL
// context; without one there is no OpenGL video mode, so the surface is refused and
// SDL_SetVideoMode fails as it would on a desktop without OpenGL. A browser with WebGL
// switched off altogether (WebKit's setting, Safari's Lockdown Mode) lacks even WebGL's
// names, which the context's creation reaches for: there it is refused before that.
(function () {
  var makeSurface = SDL.makeSurface;
  var openGlFlag = 0x04000000;
  function refuse() {
    SDL.errorMessage = allocateUTF8("this browser gives the page no WebGL");
    return 0;
  }
  SDL.makeSurface = function (width, height, flags) {
    var openGl = flags & openGlFlag;
    if (openGl && typeof WebGLRenderingContext === "undefined") return refuse();
    var surface = makeSurface.apply(SDL, arguments);
    if (surface && openGl && !SDL.surfaces[surface].ctx) {
      SDL.freeSurface(surface);
      return refuse();
    }
    return surface;
  };
})();
