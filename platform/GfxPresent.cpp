// Presenting and pacing: an unchanged frame is not shown again, a changed one at most once
// per display refresh; the picture is letterboxed into the window, and read back.
#include "platform/GfxFrame.h"

#include "core/Log.h"
#include "core/Timer.h"

#include <algorithm>

bool CGfxOGL::FrameMatchesShown(int outputWidth, int outputHeight) const {
    return m_forcedPresents == 0 && outputWidth == m_shownWidth && outputHeight == m_shownHeight &&
           m_draw->frame == m_draw->shown;
}

void CGfxOGL::Present() {
    if (m_renderer == nullptr) {
        return;
    }
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_SetRenderTarget(m_renderer, nullptr);
    SDL_GetRendererOutputSize(m_renderer, &outputWidth, &outputHeight);
    if (FrameMatchesShown(outputWidth, outputHeight)) {
        ++m_unchangedFrames;
        return;
    }
    m_unchangedFrames = 0;
    CTimer& timer = CTimer::Get();
    if (m_forcedPresents == 0 && m_presentInterval > 0.0 && m_presentCount > 0 &&
        timer.GetSecondsSince(m_lastPresentTicks) < m_presentInterval) {
        return;   // a later frame shows it, at the display's pace
    }
    if (outputWidth == m_pictureWidth && outputHeight == m_pictureHeight) {
        DrawRecorded();   // the window is the picture
    } else {
        if (m_target == nullptr && !CreateTarget()) {
            return;
        }
        SDL_SetRenderTarget(m_renderer, m_target);
        DrawRecorded();
        SDL_SetRenderTarget(m_renderer, nullptr);
        // The letterbox from the renderer's real output size, whatever the window manager did.
        const GfxRect place = FitPicture(outputWidth, outputHeight, m_pictureWidth, m_pictureHeight);
        const SDL_Rect destination = {place.x, place.y, place.w, place.h};
        SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 0xFF);
        SDL_RenderClear(m_renderer);
        SDL_RenderCopy(m_renderer, m_target, nullptr, &destination);
    }
    SDL_RenderPresent(m_renderer);
    m_draw->shown.CopyFrom(m_draw->frame);
    m_shownWidth = outputWidth;
    m_shownHeight = outputHeight;
    m_lastPresentTicks = timer.GetTicks();
    m_forcedPresents = std::max(m_forcedPresents - 1, 0);
    ++m_presentCount;
}


bool CGfxOGL::ReadPixels(uint8_t* buffer) {
    if (m_renderer == nullptr || buffer == nullptr) {
        return false;
    }
    const int rowBytes = m_pictureWidth * 3;
    std::vector<uint8_t>& picture = m_draw->readBuffer;
    picture.resize(static_cast<size_t>(rowBytes) * m_pictureHeight);
    if (m_target == nullptr && !CreateTarget()) {
        return false;
    }
    // The picture recorded since the last Clear, drawn off screen at its own size.
    SDL_SetRenderTarget(m_renderer, m_target);
    DrawRecorded();
    const SDL_Rect whole = {0, 0, m_pictureWidth, m_pictureHeight};
    const bool read = SDL_RenderReadPixels(m_renderer, &whole, SDL_PIXELFORMAT_RGB24, picture.data(), rowBytes) == 0;
    SDL_SetRenderTarget(m_renderer, nullptr);
    if (!read) {
        CLog::Get().Write("CGfxOGL::ReadPixels FAILED, %s", SDL_GetError());
        return false;
    }
    // The caller's buffer holds the picture, bottom row first.
    for (int row = 0; row < m_pictureHeight; ++row) {
        const int pictureRow = m_pictureHeight - 1 - row;
        std::copy_n(picture.data() + static_cast<size_t>(rowBytes) * pictureRow, rowBytes,
                    buffer + static_cast<size_t>(rowBytes) * row);
    }
    return true;
}

GfxRect CGfxOGL::FitPicture(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
    GfxRect place{0, 0, outputWidth, outputHeight};
    if (outputWidth <= 0 || outputHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        return place;
    }
    const int64_t outputByPictureHeight = int64_t{outputWidth} * pictureHeight;
    const int64_t pictureByOutputHeight = int64_t{pictureWidth} * outputHeight;
    if (outputByPictureHeight <= pictureByOutputHeight) {
        // The output is narrower than the picture: full width, bars above and below.
        place.h = static_cast<int>((int64_t{outputWidth} * pictureHeight + pictureWidth / 2) / pictureWidth);
        place.y = (outputHeight - place.h) / 2;
    } else {
        place.w = static_cast<int>((int64_t{outputHeight} * pictureWidth + pictureHeight / 2) / pictureHeight);
        place.x = (outputWidth - place.w) / 2;
    }
    return place;
}

void CGfxOGL::GetOutputSize(int& width, int& height) const {
    width = m_pictureWidth;
    height = m_pictureHeight;
    if (m_window != nullptr) {
        // Window coordinates: the unit of mouse positions.
        SDL_GetWindowSize(m_window, &width, &height);
    }
}

GfxRect CGfxOGL::GetPictureRect() const {
    int width = 0;
    int height = 0;
    GetOutputSize(width, height);
    return FitPicture(width, height, m_pictureWidth, m_pictureHeight);
}

void CGfxOGL::WindowToPicture(int windowX, int windowY, float& pictureX, float& pictureY) const {
    const GfxRect place = GetPictureRect();
    if (place.w <= 0 || place.h <= 0) {
        pictureX = static_cast<float>(windowX);
        pictureY = static_cast<float>(windowY);
        return;
    }
    pictureX = static_cast<float>(windowX - place.x) * static_cast<float>(m_pictureWidth) / static_cast<float>(place.w);
    pictureY = static_cast<float>(windowY - place.y) * static_cast<float>(m_pictureHeight) / static_cast<float>(place.h);
}

void CGfxOGL::PictureToWindow(float pictureX, float pictureY, int& windowX, int& windowY) const {
    const GfxRect place = GetPictureRect();
    windowX = place.x + static_cast<int>(std::lround(pictureX * static_cast<float>(place.w) / static_cast<float>(m_pictureWidth)));
    windowY = place.y + static_cast<int>(std::lround(pictureY * static_cast<float>(place.h) / static_cast<float>(m_pictureHeight)));
}
