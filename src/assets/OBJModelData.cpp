#include "assets/OBJModelData.h"

#include "assets/MappedFile.h"
#include "assets/TextScanner.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// Counters stop short of overflowing; a file that large is refused by
// memory long before.
void countUp(int32_t* counter) {
    if (*counter < INT32_MAX) {
        ++*counter;
    }
}

// Reads up to n floats as "%f %f %f" does: stops at the first that fails,
// leaving the rest of dest unchanged.
void readFloats(TextScanner& in, float* dest, int n) {
    for (int i = 0; i < n; ++i) {
        if (!in.readFloat(&dest[i])) {
            return;
        }
    }
}

} // namespace

bool OBJModelData::readWholeFile(const std::string& path, std::string* contents) {
    MappedFile file(path);
    if (!file.isOpen()) {
        return false;
    }
    contents->assign(file.text(), file.size());
    return true;
}

std::string OBJModelData::directoryOf(const std::string& fileName) {
    size_t cut = fileName.rfind('\\');
    if (cut == std::string::npos) {
        cut = fileName.rfind('/');
    }
    return cut == std::string::npos ? std::string() : fileName.substr(0, cut + 1);
}

bool OBJModelData::load(const std::string& fileName, bool generateNormals) {
    MappedFile file(fileName);
    if (!file.isOpen()) {
        return false;
    }
    loadText(file.text(), file.size(), directoryOf(fileName), generateNormals, readWholeFile);
    return true;
}

void OBJModelData::loadText(const char* text, size_t size, const std::string& dir,
                            bool generateNormals, const FileReader& readFile) {
    directory = dir;
    TextScanner in(text, size);
    firstPass(in, readFile);
    in.rewind();
    secondPass(in);
    buildMeshes();
    if (generateNormals || !hasNormals) {
        generateVertexNormals();
    }
}

void OBJModelData::firstPass(TextScanner& in, const FileReader& readFile) {
    hasTextureCoords = false;
    hasNormals = false;
    numberOfVertexCoords = 0;
    numberOfTextureCoords = 0;
    numberOfNormals = 0;
    numberOfTriangles = 0;

    std::string_view token;
    while (in.readToken(&token)) {
        switch (token[0]) {
        case 'f':
            readFace(in, [this](const Corner&, const Corner&, const Corner&, FaceForm) {
                countUp(&numberOfTriangles);
            });
            break;
        case 'm':
            importMaterials(directory + std::string(in.firstWordOfLine()), readFile);
            break;
        case 'v':
            if (token.size() == 1) {
                countUp(&numberOfVertexCoords);
                in.skipLine();
            } else if (token[1] == 'n') {
                countUp(&numberOfNormals);
                in.skipLine();
            } else if (token[1] == 't') {
                countUp(&numberOfTextureCoords);
                in.skipLine();
            }
            break;
        default:
            in.skipLine();
            break;
        }
    }

    hasPositions = numberOfVertexCoords > 0;
    hasTextureCoords = numberOfTextureCoords > 0;
    hasNormals = numberOfNormals > 0;
    vertexCoords.assign(3 * size_t(numberOfVertexCoords), 0.0f);
    textureCoords.assign(2 * size_t(numberOfTextureCoords), 0.0f);
    normals.assign(3 * size_t(numberOfNormals), 0.0f);
    indexBuffer.assign(3 * size_t(numberOfTriangles), 0);
    attributeBuffer.assign(numberOfTriangles, 0);

    if (materials.empty()) {
        Material fallback;
        fallback.name = "default";
        materials.push_back(fallback);
        materialCache.insert(std::make_pair(fallback.name, 0));
    }
    numberOfMaterials = static_cast<int32_t>(materials.size());
}

void OBJModelData::secondPass(TextScanner& in) {
    positionsRead = 0;
    textureCoordsRead = 0;
    normalsRead = 0;
    trianglesStored = 0;
    activeMaterial = 0;
    firstVertexAt.assign(numberOfVertexCoords, -1);
    verticesAt.assign(numberOfVertexCoords, 0);
    vertexBuffer.reserve(numberOfVertexCoords);
    nextVertexOnPosition.reserve(numberOfVertexCoords);

    // The passes can split a malformed file into tokens differently, so
    // lines beyond the first pass's counts are read into scratch and dropped.
    float scratch[3];
    std::string_view token;
    while (in.readToken(&token)) {
        switch (token[0]) {
        case 'f':
            readFace(in, [this](const Corner& c0, const Corner& c1, const Corner& c2,
                                FaceForm form) { storeTriangle(c0, c1, c2, form); });
            break;
        case 'u': {
            auto it = materialCache.find(std::string(in.firstWordOfLine()));
            activeMaterial = it == materialCache.end() ? 0 : it->second;
            break;
        }
        case 'v':
            if (token.size() == 1) {
                bool room = positionsRead < numberOfVertexCoords;
                readFloats(in, room ? &vertexCoords[3 * size_t(positionsRead)] : scratch, 3);
                positionsRead += room;
            } else if (token[1] == 'n') {
                bool room = normalsRead < numberOfNormals;
                readFloats(in, room ? &normals[3 * size_t(normalsRead)] : scratch, 3);
                normalsRead += room;
            } else if (token[1] == 't') {
                bool room = textureCoordsRead < numberOfTextureCoords;
                readFloats(in, room ? &textureCoords[2 * size_t(textureCoordsRead)] : scratch, 2);
                textureCoordsRead += room;
            }
            break;
        default:
            in.skipLine();
            break;
        }
    }

    // Triangles whose corners did not resolve were dropped.
    numberOfTriangles = trianglesStored;
    indexBuffer.resize(3 * size_t(numberOfTriangles));
    attributeBuffer.resize(numberOfTriangles);
    firstVertexAt = std::vector<int32_t>();
    nextVertexOnPosition = std::vector<int32_t>();
    verticesAt = std::vector<uint8_t>();
    crowdedVertices.clear();
}

int OBJModelData::parseCorner(TextScanner& in, FaceForm form, Corner* corner) {
    *corner = Corner();
    if (!in.readInt(&corner->position)) {
        return 0;
    }
    corner->hasPosition = true;
    if (form == FaceForm::Position) {
        return 1;
    }
    if (form == FaceForm::PositionNormal) {
        if (!in.readChar('/') || !in.readChar('/') || !in.readInt(&corner->normal)) {
            return 1;
        }
        corner->hasNormal = true;
        return 2;
    }
    if (!in.readChar('/') || !in.readInt(&corner->texture)) {
        return 1;
    }
    corner->hasTexture = true;
    if (form == FaceForm::PositionTexture) {
        return 2;
    }
    if (!in.readChar('/') || !in.readInt(&corner->normal)) {
        return 2;
    }
    corner->hasNormal = true;
    return 3;
}

bool OBJModelData::readCorner(TextScanner& in, FaceForm form, Corner* corner) {
    static const int fields[] = {1, 2, 3, 2};
    return parseCorner(in, form, corner) == fields[static_cast<int>(form)];
}

OBJModelData::FaceForm OBJModelData::formOf(std::string_view token, Corner* corner) {
    if (token.find("//") != std::string_view::npos) {
        TextScanner t(token.data(), token.size());
        parseCorner(t, FaceForm::PositionNormal, corner);
        return FaceForm::PositionNormal;
    }
    const FaceForm tries[] = {FaceForm::PositionTextureNormal, FaceForm::PositionTexture};
    for (FaceForm form : tries) {
        TextScanner t(token.data(), token.size());
        if (readCorner(t, form, corner)) {
            return form;
        }
    }
    TextScanner t(token.data(), token.size());
    parseCorner(t, FaceForm::Position, corner);
    return FaceForm::Position;
}

// The first corner's token decides the form; the next two corners are read
// in it whatever they hold, then every further corner that parses whole adds
// a triangle of the fan.
template <class OnTriangle> void OBJModelData::readFace(TextScanner& in, OnTriangle onTriangle) {
    std::string_view token;
    if (!in.readToken(&token)) {
        return;
    }
    Corner first, previous, current;
    FaceForm form = formOf(token, &first);
    parseCorner(in, form, &previous);
    parseCorner(in, form, &current);
    onTriangle(first, previous, current, form);
    for (;;) {
        previous = current;
        if (!readCorner(in, form, &current)) {
            return;
        }
        onTriangle(first, previous, current, form);
    }
}

int32_t OBJModelData::resolve(int index, int32_t linesRead) {
    if (index > 0) {
        return index <= linesRead ? index - 1 : -1;
    }
    if (index < 0 && index >= -linesRead) {
        return linesRead + index;
    }
    return -1;
}

void OBJModelData::storeTriangle(const Corner& c0, const Corner& c1, const Corner& c2,
                                 FaceForm form) {
    if (trianglesStored >= numberOfTriangles) {
        return;
    }
    const Corner* corners[3] = {&c0, &c1, &c2};
    int32_t positions[3];
    for (int k = 0; k < 3; ++k) {
        positions[k] = corners[k]->hasPosition ? resolve(corners[k]->position, positionsRead) : -1;
        if (positions[k] < 0) {
            // No place to put this triangle: it is left out.
            return;
        }
    }
    bool withTexture = form == FaceForm::PositionTexture || form == FaceForm::PositionTextureNormal;
    bool withNormal = form == FaceForm::PositionNormal || form == FaceForm::PositionTextureNormal;

    int32_t t = trianglesStored++;
    attributeBuffer[t] = activeMaterial;
    for (int k = 0; k < 3; ++k) {
        Vertex vertex;
        std::memset(&vertex, 0, sizeof vertex);
        std::memcpy(vertex.position, &vertexCoords[3 * size_t(positions[k])],
                    sizeof vertex.position);
        // A texture or normal index that does not resolve leaves that
        // attribute zero; the corner keeps its place.
        int32_t texture =
            corners[k]->hasTexture ? resolve(corners[k]->texture, textureCoordsRead) : -1;
        if (withTexture && texture >= 0) {
            std::memcpy(vertex.texCoord, &textureCoords[2 * size_t(texture)],
                        sizeof vertex.texCoord);
        }
        int32_t normal = corners[k]->hasNormal ? resolve(corners[k]->normal, normalsRead) : -1;
        if (withNormal && normal >= 0) {
            std::memcpy(vertex.normal, &normals[3 * size_t(normal)], sizeof vertex.normal);
        }
        indexBuffer[3 * size_t(t) + k] = addVertex(positions[k], vertex);
    }
}

size_t OBJModelData::VertexHash::operator()(const Vertex& v) const {
    uint32_t words[sizeof(Vertex) / 4];
    std::memcpy(words, &v, sizeof words);
    uint64_t h = 1469598103934665603ull;
    for (uint32_t w : words) {
        h = (h ^ w) * 1099511628211ull;
    }
    return size_t(h ^ (h >> 29));
}

bool OBJModelData::VertexEqual::operator()(const Vertex& a, const Vertex& b) const {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

int32_t OBJModelData::addVertex(int32_t positionIndex, const Vertex& vertex) {
    int32_t added = static_cast<int32_t>(vertexBuffer.size());
    if (verticesAt[positionIndex] >= crowdLimit) {
        auto found = crowdedVertices.emplace(vertex, added);
        if (found.second) {
            vertexBuffer.push_back(vertex);
            nextVertexOnPosition.push_back(-1);
        }
        return found.first->second;
    }
    int32_t last = -1;
    for (int32_t i = firstVertexAt[positionIndex]; i >= 0; i = nextVertexOnPosition[i]) {
        if (std::memcmp(&vertexBuffer[i], &vertex, sizeof vertex) == 0) {
            return i;
        }
        last = i;
    }
    vertexBuffer.push_back(vertex);
    nextVertexOnPosition.push_back(-1);
    if (last < 0) {
        firstVertexAt[positionIndex] = added;
    } else {
        nextVertexOnPosition[last] = added;
    }
    if (++verticesAt[positionIndex] == crowdLimit) {
        for (int32_t i = firstVertexAt[positionIndex]; i >= 0; i = nextVertexOnPosition[i]) {
            crowdedVertices.emplace(vertexBuffer[i], i);
        }
    }
    return added;
}

bool OBJModelData::importMaterials(const std::string& path, const FileReader& readFile) {
    std::string text;
    if (!readFile(path, &text)) {
        return false;
    }
    TextScanner in(text.data(), text.size());
    Material* current = nullptr;
    std::string_view token;
    while (in.readToken(&token)) {
        char second = token.size() > 1 ? token[1] : '\0';
        if (token[0] == 'n') {
            materials.emplace_back();
            current = &materials.back();
            current->name = std::string(in.firstWordOfLine());
            // A name defined twice keeps its first material.
            materialCache.insert(std::make_pair(current->name, int(materials.size() - 1)));
            continue;
        }
        if (!current) {
            in.skipLine();
            continue;
        }
        switch (token[0]) {
        case 'K': {
            float* colour = second == 'a'   ? current->ambient
                            : second == 'd' ? current->diffuse
                            : second == 's' ? current->specular
                                            : nullptr;
            if (!colour) {
                in.skipLine();
                break;
            }
            readFloats(in, colour, 3);
            colour[3] = 1.0f;
            break;
        }
        case 'N': {
            float value;
            if (in.readFloat(&value)) {
                current->shininess = value / 1000.0f;
            }
            break;
        }
        case 'T': {
            float value;
            if (second != 'r') {
                in.skipLine();
            } else if (in.readFloat(&value)) {
                current->alpha = 1.0f - value;
            }
            break;
        }
        case 'd': {
            float value;
            if (in.readFloat(&value)) {
                current->alpha = value;
            }
            break;
        }
        case 'i': {
            int value;
            if (in.readInt(&value) && value == 1) {
                const float none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
                std::memcpy(current->specular, none, sizeof none);
            }
            break;
        }
        case 'm':
            if (token.find("map_Kd") != std::string_view::npos) {
                current->colorMapFileName = std::string(in.firstWordOfLine());
            } else if (token.find("map_bump") != std::string_view::npos) {
                current->bumpMapFileName = std::string(in.firstWordOfLine());
            } else {
                in.skipLine();
            }
            break;
        default:
            in.skipLine();
            break;
        }
    }
    return true;
}

void OBJModelData::buildMeshes() {
    meshes.clear();
    int previous = -1;
    for (int32_t t = 0; t < numberOfTriangles; ++t) {
        int material = attributeBuffer[t];
        if (material != previous) {
            meshes.push_back(Mesh{3 * t, 0, &materials[material]});
            previous = material;
        }
        ++meshes.back().triangleCount;
    }
    // Translucent meshes last. A material whose alpha is not a number sorts
    // as fully transparent so that the order stays well defined.
    auto key = [](const Mesh& m) {
        return std::isnan(m.material->alpha) ? -INFINITY : m.material->alpha;
    };
    std::stable_sort(meshes.begin(), meshes.end(),
                     [&key](const Mesh& a, const Mesh& b) { return key(a) > key(b); });
    numberOfMeshes = static_cast<int32_t>(meshes.size());
}

void OBJModelData::generateVertexNormals() {
    for (Vertex& v : vertexBuffer) {
        v.normal[0] = v.normal[1] = v.normal[2] = 0.0f;
    }
    for (int32_t t = 0; t < numberOfTriangles; ++t) {
        Vertex* corner[3];
        for (int k = 0; k < 3; ++k) {
            corner[k] = &vertexBuffer[indexBuffer[3 * size_t(t) + k]];
        }
        const float* p0 = corner[0]->position;
        const float* p1 = corner[1]->position;
        const float* p2 = corner[2]->position;
        float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                      a[0] * b[1] - a[1] * b[0]};
        for (Vertex* v : corner) {
            v->normal[0] += n[0];
            v->normal[1] += n[1];
            v->normal[2] += n[2];
        }
    }
    for (Vertex& v : vertexBuffer) {
        float length = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                                 v.normal[2] * v.normal[2]);
        // A vertex of degenerate triangles only has no direction; it keeps
        // the zero normal rather than dividing by zero.
        if (length > 0.0f) {
            v.normal[0] /= length;
            v.normal[1] /= length;
            v.normal[2] /= length;
        }
    }
    hasNormals = true;
}
