// The graphics module: its life in the runtime and its registrations, in table order.
#include "media/media_modules.h"
#include "media/graphics/canvas_commands.h"
#include "media/graphics/graphics_commands.h"
#include "media/graphics/graphics_state.h"
#include "media/images/image_commands.h"
#include "media/images/image_set.h"
#include "media/movies/movie_commands.h"
#include "media/session_dialog.h"
#include "host/system_commands.h"
#include "media/text/text_commands.h"

namespace korvo {

bool createGraphicsModule() {
  platform::graphicsState().freeImages = &platform::freeAllImages;
  platform::setSessionDialogRunner(&platform::showSessionDialog);
  platform::GraphicsSystem::setCloseHandler(&platform::closeMoviesOf);
  return platform::startGraphicsCommands();
}

void destroyGraphicsModule() {
  platform::setSessionDialogRunner(nullptr);
  platform::stopGraphicsCommands();
  platform::GraphicsSystem::setCloseHandler(nullptr);
}

void registerGraphicsCommands(Registrar& r) {
  using namespace cmd;
  r.add("%CountGfxDrivers", entry<&CountGfxDrivers>());
  r.add("$GfxDriverName%driver", entry<&GfxDriverName>());
  r.add("SetGfxDriver%driver", entry<&SetGfxDriver>());
  r.add("%CountGfxModes", entry<&CountGfxModes>());
  r.add("%GfxModeExists%width%height%depth", entry<&GfxModeExists>());
  r.add("%GfxModeWidth%mode", entry<&GfxModeWidth>());
  r.add("%GfxModeHeight%mode", entry<&GfxModeHeight>());
  r.add("%GfxModeDepth%mode", entry<&GfxModeDepth>());
  r.add("%AvailVidMem", entry<&AvailVidMem>());
  r.add("%TotalVidMem", entry<&TotalVidMem>());
  r.add("Graphics%width%height%depth=0%mode=0", entry<&Graphics>());
  r.add("EndGraphics", entry<&EndGraphics>());
  r.add("SetGamma%src_red%src_green%src_blue#dest_red#dest_green#dest_blue", entry<&SetGamma>());
  r.add("UpdateGamma%calibrate=0", entry<&UpdateGamma>());
  r.add("#GammaRed%red", entry<&GammaRed>());
  r.add("#GammaGreen%green", entry<&GammaGreen>());
  r.add("#GammaBlue%blue", entry<&GammaBlue>());
  r.add("%FrontBuffer", entry<&FrontBuffer>());
  r.add("%BackBuffer", entry<&BackBuffer>());
  r.add("%ScanLine", entry<&ScanLine>());
  r.add("VWait%frames=1", entry<&VWait>());
  r.add("Flip%vwait=1", entry<&Flip>());
  r.add("%GraphicsWidth", entry<&GraphicsWidth>());
  r.add("%GraphicsHeight", entry<&GraphicsHeight>());
  r.add("%GraphicsDepth", entry<&GraphicsDepth>());
  r.add("SetBuffer%buffer", entry<&SetBuffer>());
  r.add("%GraphicsBuffer", entry<&GraphicsBuffer>());
  r.add("%LoadBuffer%buffer$bmpfile", entry<&LoadBuffer>());
  r.add("%SaveBuffer%buffer$bmpfile", entry<&SaveBuffer>());
  r.add("LockBuffer%buffer=0", entry<&LockBuffer>());
  r.add("UnlockBuffer%buffer=0", entry<&UnlockBuffer>());
  r.add("%ReadPixel%x%y%buffer=0", entry<&ReadPixel>());
  r.add("WritePixel%x%y%argb%buffer=0", entry<&WritePixel>());
  r.add("%ReadPixelFast%x%y%buffer=0", entry<&ReadPixelFast>());
  r.add("WritePixelFast%x%y%argb%buffer=0", entry<&WritePixelFast>());
  r.add("CopyPixel%src_x%src_y%src_buffer%dest_x%dest_y%dest_buffer=0", entry<&CopyPixel>());
  r.add("CopyPixelFast%src_x%src_y%src_buffer%dest_x%dest_y%dest_buffer=0", entry<&CopyPixelFast>());
  r.add("Origin%x%y", entry<&Origin>());
  r.add("Viewport%x%y%width%height", entry<&Viewport>());
  r.add("Color%red%green%blue", entry<&Color>());
  r.add("GetColor%x%y", entry<&GetColor>());
  r.add("%ColorRed", entry<&ColorRed>());
  r.add("%ColorGreen", entry<&ColorGreen>());
  r.add("%ColorBlue", entry<&ColorBlue>());
  r.add("ClsColor%red%green%blue", entry<&ClsColor>());
  r.add("SetFont%font", entry<&SetFont>());
  r.add("Cls", entry<&Cls>());
  r.add("Plot%x%y", entry<&Plot>());
  r.add("Rect%x%y%width%height%solid=1", entry<&Rect>());
  r.add("Oval%x%y%width%height%solid=1", entry<&Oval>());
  r.add("Line%x1%y1%x2%y2", entry<&Line>());
  r.add("Text%x%y$text%centre_x=0%centre_y=0", entry<&Text>());
  r.add("CopyRect%source_x%source_y%width%height%dest_x%dest_y%src_buffer=0%dest_buffer=0", entry<&CopyRect>());
  r.add("%LoadFont$fontname%height=12%bold=0%italic=0%underline=0", entry<&LoadFont>());
  r.add("FreeFont%font", entry<&FreeFont>());
  r.add("%FontWidth", entry<&FontWidth>());
  r.add("%FontHeight", entry<&FontHeight>());
  r.add("%StringWidth$string", entry<&StringWidth>());
  r.add("%StringHeight$string", entry<&StringHeight>());
  r.add("%OpenMovie$file", entry<&OpenMovie>());
  r.add("%DrawMovie%movie%x=0%y=0%w=-1%h=-1", entry<&DrawMovie>());
  r.add("%MovieWidth%movie", entry<&MovieWidth>());
  r.add("%MovieHeight%movie", entry<&MovieHeight>());
  r.add("%MoviePlaying%movie", entry<&MoviePlaying>());
  r.add("CloseMovie%movie", entry<&CloseMovie>());
  r.add("%LoadImage$bmpfile", entry<&LoadImage>());
  r.add("%CopyImage%image", entry<&CopyImage>());
  r.add("%CreateImage%width%height%frames=1", entry<&CreateImage>());
  r.add("%LoadAnimImage$bmpfile%cellwidth%cellheight%first%count", entry<&LoadAnimImage>());
  r.add("FreeImage%image", entry<&FreeImage>());
  r.add("%SaveImage%image$bmpfile%frame=0", entry<&SaveImage>());
  r.add("GrabImage%image%x%y%frame=0", entry<&GrabImage>());
  r.add("%ImageBuffer%image%frame=0", entry<&ImageBuffer>());
  r.add("DrawImage%image%x%y%frame=0", entry<&DrawImage>());
  r.add("DrawBlock%image%x%y%frame=0", entry<&DrawBlock>());
  r.add("TileImage%image%x=0%y=0%frame=0", entry<&TileImage>());
  r.add("TileBlock%image%x=0%y=0%frame=0", entry<&TileBlock>());
  r.add("DrawImageRect%image%x%y%rect_x%rect_y%rect_width%rect_height%frame=0", entry<&DrawImageRect>());
  r.add("DrawBlockRect%image%x%y%rect_x%rect_y%rect_width%rect_height%frame=0", entry<&DrawBlockRect>());
  r.add("MaskImage%image%red%green%blue", entry<&MaskImage>());
  r.add("HandleImage%image%x%y", entry<&HandleImage>());
  r.add("MidHandle%image", entry<&MidHandle>());
  r.add("AutoMidHandle%enable", entry<&AutoMidHandle>());
  r.add("%ImageWidth%image", entry<&ImageWidth>());
  r.add("%ImageHeight%image", entry<&ImageHeight>());
  r.add("%ImageXHandle%image", entry<&ImageXHandle>());
  r.add("%ImageYHandle%image", entry<&ImageYHandle>());
  r.add("ScaleImage%image#xscale#yscale", entry<&ScaleImage>());
  r.add("ResizeImage%image#width#height", entry<&ResizeImage>());
  r.add("RotateImage%image#angle", entry<&RotateImage>());
  r.add("TFormImage%image#a#b#c#d", entry<&TFormImage>());
  r.add("TFormFilter%enable", entry<&TFormFilter>());
  r.add("%ImagesOverlap%image1%x1%y1%image2%x2%y2", entry<&ImagesOverlap>());
  r.add("%ImagesCollide%image1%x1%y1%frame1%image2%x2%y2%frame2", entry<&ImagesCollide>());
  r.add("%RectsOverlap%x1%y1%width1%height1%x2%y2%width2%height2", entry<&RectsOverlap>());
  r.add("%ImageRectOverlap%image%x%y%rect_x%rect_y%rect_width%rect_height", entry<&ImageRectOverlap>());
  r.add("%ImageRectCollide%image%x%y%frame%rect_x%rect_y%rect_width%rect_height", entry<&ImageRectCollide>());
  r.add("Write$string", entry<&Write>());
  r.add("Print$string=\"\"", entry<&Print>());
  r.add("$Input$prompt=\"\"", entry<&Input>());
  r.add("Locate%x%y", entry<&Locate>());
  r.add("ShowPointer", entry<&ShowPointer>());
  r.add("HidePointer", entry<&HidePointer>());
}

}  // namespace korvo
