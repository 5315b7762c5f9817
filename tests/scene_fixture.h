// scene_fixture.h -- a freshly built scene, as the show has it before its first frame.
#pragma once

#include <gtest/gtest.h>

#include "scene.h"

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Shapes keep their default-constructed fields until set up; restore them so
        // every test starts from the same scene.
        for (Shape& s : hexRow.shapes) s = Shape();
        for (Shape& s : pentagonColumn.shapes) s = Shape();
        for (Shape& s : driftSquares.shapes) s = Shape();
        for (Shape& s : starStack.shapes) s = Shape();
        initPalette();
        initGeometries();
        initShapes();
        initTimings();
    }
};
