#pragma once

#include <memory>
#include <string>
#include <utility>

#include "import/layer_picture.h"

namespace morvel {

// The picture of a take just captured, decoded already on the camera's worker: handed to the
// composition of its frame instead of decoding the file again on the window's thread, with the
// frame's composite and canvas when the worker made them. Every other picture comes from the
// reader it stands in front of (or is read at once without one).
class CapturedPictureReader final : public LayerPictureReader {
public:
    CapturedPictureReader(LayerPictureReader* next, std::string file, Image picture,
                          std::shared_ptr<ComposedAhead> ahead = {})
        : m_next(next), m_file(std::move(file)), m_picture(std::move(picture)),
          m_ahead(std::move(ahead)) {}

    bool read(Services& services, const std::string& layerSource, Image& picture) override {
        if (layerSource == m_file && !m_picture.empty()) {
            picture = std::move(m_picture);
            m_given = true;
            if (m_next) m_next->givenElsewhere(m_file);
            return true;
        }
        return m_next ? m_next->read(services, layerSource, picture)
                      : ReadLayerPictureNow(services, picture, layerSource);
    }
    bool readMask(Services& services, const std::string& file, GreyImage& mask) override {
        return m_next ? m_next->readMask(services, file, mask)
                      : LayerPictureReader::readMask(services, file, mask);
    }
    using LayerPictureReader::frameShown;
    void frameShown(const Document& document, const ViewGeometry& view, int canvasWidth,
                    int canvasHeight, int index, const FrameFiles& held,
                    const MasksInMemory* inMemory) override {
        if (m_next)
            m_next->frameShown(document, view, canvasWidth, canvasHeight, index, held, inMemory);
    }
    bool takeComposed(const FrameFiles& files, ComposedAhead& out) override {
        // Made from the take alone: right for a frame that shows it on top without a mask.
        const std::string& top = files.layers[0].empty() ? files.layers[1] : files.layers[0];
        if (m_given && m_ahead && !m_ahead->composite.empty() && top == m_file &&
            files.mask.empty()) {
            out = std::move(*m_ahead);
            m_ahead.reset();
            return true;
        }
        return m_next && m_next->takeComposed(files, out);
    }
    void setAside(const std::string& file, Image&& picture) override {
        if (m_next) m_next->setAside(file, std::move(picture));
    }
    void setAsideMask(const std::string& file, GreyImage&& mask) override {
        if (m_next) m_next->setAsideMask(file, std::move(mask));
    }
    void givenElsewhere(const std::string& file) override {
        if (m_next) m_next->givenElsewhere(file);
    }

    LayerPictureReader* next() const { return m_next; }

private:
    LayerPictureReader* m_next;
    std::string m_file;
    Image m_picture;
    std::shared_ptr<ComposedAhead> m_ahead;
    bool m_given = false;  // the window holds the take's picture
};

}  // namespace morvel
