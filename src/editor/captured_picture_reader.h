#pragma once

#include <string>
#include <utility>

#include "import/layer_picture.h"

namespace morvel {

// The picture of a take just captured, decoded already on the camera's worker: handed to the
// composition of its frame instead of decoding the file again on the window's thread. Every
// other picture comes from the reader it stands in front of (or is read at once without one).
class CapturedPictureReader final : public LayerPictureReader {
public:
    CapturedPictureReader(LayerPictureReader* next, std::string file, Image picture)
        : m_next(next), m_file(std::move(file)), m_picture(std::move(picture)) {}

    bool read(Services& services, const std::string& layerSource, Image& picture) override {
        if (layerSource == m_file && !m_picture.empty()) {
            picture = std::move(m_picture);
            return true;
        }
        return m_next ? m_next->read(services, layerSource, picture)
                      : ReadLayerPictureNow(services, picture, layerSource);
    }
    void frameShown(const Document& document, const ViewGeometry& view, int canvasWidth,
                    int canvasHeight, int index, const MasksInMemory* inMemory = nullptr) override {
        if (m_next) m_next->frameShown(document, view, canvasWidth, canvasHeight, index, inMemory);
    }
    bool takeComposed(const FrameFiles& files, ComposedAhead& out) override {
        return m_next && m_next->takeComposed(files, out);
    }
    void setAside(const std::string& file, Image&& picture) override {
        if (m_next) m_next->setAside(file, std::move(picture));
    }

    LayerPictureReader* next() const { return m_next; }

private:
    LayerPictureReader* m_next;
    std::string m_file;
    Image m_picture;
};

}  // namespace morvel
