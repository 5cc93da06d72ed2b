#!/usr/bin/env bash
# The mutant run: does the test suite notice a plausible slip? Each one-line slip listed below
# is applied in turn to a scratch copy of the tree (build-mutants/tree; the checkout itself is
# never changed), which is rebuilt incrementally (plain build) and tested. Prints one line per
# slip, caught (with the tests that failed), missed, or equivalent (with the reason it cannot
# change anything a user or caller sees, not run), and a total. Not part of the test command
# (docs/testing.md says how long a run took): it runs the whole suite once on the unchanged
# copy, then the stages for each slip, and a slip that no test catches costs the most, since
# every stage runs for it. Exits non-zero when a slip is missed, does not build, or its text no
# longer occurs exactly once.
# A slip's text must occur exactly once in its file; where one line is not unique, the text
# takes in the next line too ($'...\n...'). When the code changes, the text follows it.
#
#   scripts/mutants.sh            every slip
#   scripts/mutants.sh NAME...    only these slips
#   scripts/mutants.sh --list     checks every slip's text and lists the slips, runs nothing
#
# The tests run in three stages, quickest first: unit and GL tests, then the program tests,
# then the bad-data runs of the program (two minutes). A slip is reported once a stage has a
# failing test; the later stages are then not run, and its line says so.
set -euo pipefail
cd "$(dirname "$0")/.."

names=() files=() originals=() replacements=() descriptions=() reasons=()

# slip NAME FILE ORIGINAL REPLACEMENT DESCRIPTION: ORIGINAL must occur exactly once in FILE.
slip() {
    equivalent "$@" ""
}

# equivalent NAME FILE ORIGINAL REPLACEMENT DESCRIPTION REASON: listed, its text checked, not run.
equivalent() {
    names+=("$1") files+=("$2") originals+=("$3") replacements+=("$4") descriptions+=("$5") reasons+=("$6")
}

# Vectors and matrices.
slip vec-difference math/Vec4.cpp 'a.y - b.y' 'a.y + b.y' "vector difference adds the y components"
slip cross-product math/Vec4.cpp 'a.z * b.x - a.x * b.z' 'a.x * b.z - a.z * b.x' "cross product's y negated"
slip matrix-product math/Mat4.cpp 'a[4 * k + row] * b[4 * column + k]' 'a[4 * row + k] * b[4 * column + k]' "matrix product reads the left factor transposed"
slip look-at math/Mat4.cpp 'translate(M, -eye.x, -eye.y, -eye.z, Local);' 'translate(M, -eye.x, -eye.y, -eye.z, Global);' "view matrix moves the eye after turning"
# Motion paths and the clock.
slip bezier-in-tangent math/MotionPath.cpp 'Q.position - Q.tangent * Q.inWeight' 'Q.position + Q.tangent * Q.inWeight' "Bézier control point before the end point on the wrong side"
slip path-end-point math/MotionPath.cpp '(start + 1) % n' '(start + 1) % segmentCount' "open path's last segment ends at its first point"
slip eye-path app/CameraPaths.cpp 'pathPoint(-30, 20, 0, -1, 30, 30),   // one and a half turns' 'pathPoint(-30, 20, 0, -1, 3, 30),   // one and a half turns' "the eye's swing out of the temple cuts through a column"
slip clock-fast app/FrameRendering.cpp 'clockRate = 0.0002f' 'clockRate = 0.002f' "animation clock ten times too fast"
slip clock-slow app/FrameRendering.cpp 'clockRate = 0.0002f' 'clockRate = 0.00002f' "animation clock ten times too slow"
slip camera-rate app/FrameRendering.cpp 'cameraRate = 0.5f' 'cameraRate = 5.0f' "camera ten times too fast"
slip light-rate app/FrameRendering.cpp 'lightRate = 1.0f / 3.0f' 'lightRate = 1.0f / 30.0f' "light ten times too slow"
slip water-rate app/FrameRendering.cpp 'waterRate = 0.6f' 'waterRate = 0.06f' "waves ten times too slow"
# Welding, normals, tangents.
slip weld-key loader/DataLoaderGeometry.cpp 'RawPosition{raw.x, raw.y, raw.z}' 'RawPosition{raw.x, raw.y, raw.x}' "welding ignores z"
slip normal-sum loader/DataLoaderGeometry.cpp 'vertices[welded].normalAV[k] += ' 'vertices[welded].normalAV[k] = ' "averaged normal keeps only the last corner's normal"
slip normal-axis loader/DataLoaderGeometry.cpp 'mesh->mNormals[v][axis[c]]' 'mesh->mNormals[v][c]' "normals not turned with the positions"
slip tangent-formula loader/DataLoaderGeometry.cpp 'tangent[k] = (dv2 * e1[k] - dv1 * e2[k]) * r;' 'tangent[k] = (dv1 * e1[k] - dv2 * e2[k]) * r;' "tangent from the wrong v differences"
slip tangent-corner loader/DataLoaderGeometry.cpp 'const size_t third = adjacency ? 4 : 2;' 'const size_t third = adjacency ? 5 : 2;' "tangents take an adjacent vertex for the third corner"
slip fit-centre loader/DataLoaderGeometry.cpp 'fitOffset[c] = extent * 0.5 - double(boundsMax[c]);' 'fitOffset[c] = extent * 0.5 - double(boundsMin[c]);' "models centred on a corner of their bounds"
slip material-range loader/DataLoaderGeometry.cpp 'uint32_t(list.size()) * (adjacency ? 6 : 3)' 'uint32_t(list.size()) * 3' "material ranges count three indices per triangle with adjacency"
# Adjacency and the closed flag.
slip neighbour-slot loader/DataLoaderAdjacency.cpp 'neighbour = entry->second.second;' 'neighbour = entry->second.first;' "a triangle in the first slot takes itself as its neighbour"
slip closed-flag loader/DataLoader.cpp 'mesh->closed = closed;' 'mesh->closed = true;' "every mesh marked closed"
# The GL wrappers' sizes and offsets.
slip attribute-offset gl/VertexArrayObject.cpp '{1, 3, offsetof(Vertex, color), 3},' '{1, 3, offsetof(Vertex, normal), 3},' "colour attribute reads the normal"
slip index-bytes gl/Mesh.cpp 'uint64_t(indicesLength) * sizeof(GLuint)' 'uint64_t(indicesLength) * sizeof(GLushort)' "half the index bytes uploaded"
slip draw-offset gl/Mesh.cpp 'uintptr_t(firstIndex) * sizeof(GLuint)' 'uintptr_t(firstIndex)' "draw offset in indices instead of bytes"
slip depth-stencil gl/FrameBuffer.cpp 'GL_DEPTH_STENCIL, texture->width' 'GL_DEPTH_COMPONENT24, texture->width' "off-screen targets without stencil"
slip mipmap-filter gl/Texture.cpp 'GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR' 'GL_TEXTURE_MIN_FILTER, GL_LINEAR' "images minified without their mipmaps"
slip texture-wrap loader/DataLoaderImages.cpp '1000, image.rgb.data(), GL_REPEAT' '1000, image.rgb.data(), 0' "images clamped at their edges instead of repeated"
slip console-text gl/VertexArrayObject.cpp '"VertexArrayObject:init("' '"VertexArrayObject::init("' "vertex-array error lines printed with a double colon"
# The scene pass: state and face table.
slip increment-face app/ScenePass.cpp 'incrementFace = mirrored ? GL_FRONT : GL_BACK;' 'incrementFace = mirrored ? GL_BACK : GL_FRONT;' "faces that count up and down swapped"
slip lit-where app/ScenePass.cpp 'glStencilFunc(GL_EQUAL, 0, 0xFF);' 'glStencilFunc(GL_NOTEQUAL, 0, 0xFF);' "direct light only in shadow"
slip ambient-blend app/ScenePass.cpp 'glBlendFunc(GL_ONE, GL_ONE);' 'glBlendFunc(GL_ONE, GL_ZERO);' "ambient pass replaces the direct light"
slip closed-path app/ScenePass.cpp 'object->mesh->adjacency && object->mesh->closed' 'object->mesh->closed' "a closed mesh without adjacency extruded as closed"
slip ambient-power app/ScenePass.cpp 'setUniform(defaultProgram, "ambientPower", 1.0f);' 'setUniform(defaultProgram, "ambientPower", 0.0f);' "no ambient light"
slip normal-map-unit scene/Common3DObject.cpp 'bindOrClear(material->normalTexture);' 'bindOrClear(material->diffuseTexture);' "diffuse image used as the normal map"
# Mirroring.
slip mirror-order scene/SceneObject.cpp 'preMultiply(world, reflection);' 'postMultiply(world, reflection);' "mirror applied before the object's transform"
slip mirror-plane app/ShaderPrograms.cpp 'translate(reflectionMatrix, 0, -2 * Water::planeHeight, 0, Local);' 'translate(reflectionMatrix, 0, -2 * Water::planeHeight, 0, Global);' "mirror plane at y = -14"
slip mirrored-light app/ScenePass.cpp 'light.reflected = mirrored;' 'light.reflected = false;' "reflection pass shadows from the unmirrored light"
slip depth-mirror app/ScenePass.cpp 'setUniform(miniProgram, "ModelMatrix", object->worldMatrix());' 'setUniform(miniProgram, "ModelMatrix", object->local);' "depth pre-pass never mirrored"
slip is-mirrored app/ScenePass.cpp 'mirrored ? 1 : 0' '0' "extrusion never told that the mirror reversed the winding"
# The two binding caches.
slip vertex-array-cache gl/VertexArrayObject.cpp $'glBindVertexArray(0);\n    currentVertexArray = 0;' 'glBindVertexArray(0);' "unbinding leaves the vertex-array cache stale"
slip program-cache gl/ProgramCache.cpp $'glUseProgram(0);\n    currentProgram = 0;' 'glUseProgram(0);' "releasing leaves the program cache stale"
# The water's textures, the sky, the light.
slip water-units scene/Water.cpp $'GL_TEXTURE1);\n    refractionTexture->bind();' $'GL_TEXTURE1);\n    reflectionTexture->bind();' "water refracts its reflection"
slip water-target-size scene/Water.cpp 'create(GL_RGBA, Water::targetSize, Water::targetSize,' 'create(GL_RGBA, Water::targetSize / 2, Water::targetSize / 2,' "water's images a quarter of the size the passes render"
slip water-correction scene/Water.cpp 'halfScale[5] = 0.5f;' 'halfScale[5] = -0.5f;' "water's images sampled upside down"
slip sky-translation scene/SkyBox.cpp 'withoutTranslation(camera->local)' 'camera->local' "sky box moves with the camera"
slip sky-mirror scene/SkyBox.cpp 'postMultiply(matrix, reflection);' 'preMultiply(matrix, reflection);' "sky mirrored in view space instead of the world"
slip light-path scene/Light.cpp 'translate(local, point.x, point.y, point.z, Global);' 'translate(local, point.x, point.y, point.z, Local);' "light's path scaled by its size"
# The shaders: lighting, cut plane, extrusion.
slip light-frame data/DefaultShader.vert.glsl 'toLight = (lightPos - world.xyz) * tangentFrame;' 'toLight = tangentFrame * (lightPos - world.xyz);' "direction to the light turned out of the tangent frame instead of into it"
slip ambient-light data/DefaultShader.frag.glsl '0.5 + 0.5 * normalUp' '0.5 - 0.5 * normalUp' "ambient light from below brighter than from the sky"
slip fresnel data/WaterShader.frag.glsl 'mix(refraction, reflection, fresnel)' 'mix(reflection, refraction, fresnel)' "water reflects where it should refract"
slip cut-plane data/Mini.vert.glsl 'cutPlaneHeight - world.y' 'world.y - cutPlaneHeight' "depth pre-pass keeps what lies above the water"
slip extrusion data/ShadowVolume.geom.glsl 'vec4(capPosition[corner] - lightPos, 0.0)' 'vec4(lightPos - capPosition[corner], 0.0)' "shadow volumes extruded towards the light"
slip silhouette data/ShadowVolume.geom.glsl 'if (neighbourLit == lit)' 'if (neighbourLit != lit)' "sides on every edge but the silhouette"
# Child processes: the image library's and the importer's faults, and the files read ahead.
slip answer-parts loader/ChildTask.cpp 'answerTaken += sizeof length + size_t(length);' 'answerTaken += size_t(length);' "a child's second part read from inside the first"
slip pixel-bytes loader/DecodedImage.cpp 'size_t(height) * 3);' 'size_t(height) * 2);' "a decoded image handed back short of a third of its pixels"
slip part-header loader/DecodedImage.cpp 'part.begin() + std::ptrdiff_t(sizeof header)' 'part.begin()' "the pixels read back from the start of the part, its header taken for pixels"
slip reader-restart loader/ReadAhead.cpp $'if (!part.received)\n            startReader();' 'if (!part.received) {}' "no reader for the files after one that ended the reader"
slip named-textures loader/ReadAhead.cpp '{aiTextureType_DIFFUSE, aiTextureType_NORMALS}' '{aiTextureType_DIFFUSE, aiTextureType_DIFFUSE}' "the look names each material's diffuse texture twice and no normal map"
slip fault-line loader/DataLoaderImages.cpp 'report("Not decoded, " + path + ": " + image.fault);' '{}' "an image that ended the image library reported without its reason"
# Finding the data directory, the importer's child, the water's glint, the uniform names, and
# the display the tests are given.
slip data-beside-started-name app/DataDirectory.cpp 'fs::path path = fs::read_symlink("/proc/self/exe", error);' 'fs::path path = fs::absolute(argv0, error);' "data looked for beside the name the program was started by, not the real executable"
slip notice-in-data-directory app/DataDirectory.cpp $'if (dataDirectory == workingDirectory)\n        return true;\n' '' "started from its data directory, it says that it uses the data directory beside it"
slip child-raw-status loader/ChildTask.cpp 'std::to_string(WEXITSTATUS(status))' 'std::to_string(status)' "a child's status logged as wait() encodes it (256 for 1)"
slip glint-below data/WaterShader.frag.glsl 'step(0.0, toLight.y)' 'step(toLight.y, 0.0)' "the water glints only while the light is below it"
slip uniform-name app/FrameRendering.cpp 'setUniform3(waterProgram, "lightWorldPos"' 'setUniform3(waterProgram, "lightPos"' "the water's light position set under the default program's name"
slip skip-with-display tests/DisplayTestMain.cpp '!std::getenv("DISPLAY") && !GTEST_FLAG_GET' 'std::getenv("DISPLAY") && !GTEST_FLAG_GET' "the tests skip when a display is given"
slip display-not-started scripts/virtual-x-server.sh $'|| true\n        exit 1' $'|| true\n        exit 0' "the display fixture passes when Xvfb does not start"
# Start-up on a display without OpenGL 3.2.
slip watch-late app/Renderer.cpp $'watchContextCreation(argv[0]);\n    glutCreateWindow("OKV");' $'glutCreateWindow("OKV");\n    watchContextCreation(argv[0]);' "the watch begins after the window is made: a refused context ends the program with Xlib's protocol error dump"
slip ask-once app/OpenGLRequirement.cpp 'askingAnyContext = true;' '' "where no context of any version can be made, the error handler asks for one again and again"
# Equivalent slips.
equivalent light-reset app/FrameRendering.cpp 'light.reflected = false;' '' "the frame no longer unmirrors the light before reading its position" \
    "the screen pass, the last of every frame, leaves the light unmirrored, and it starts so"
equivalent clear-depth app/ShaderPrograms.cpp 'glClearDepth(10000.0);' 'glClearDepth(1.0);' "depth buffer cleared to 1 explicitly" \
    "GL clamps the clear depth to [0, 1], so both clear to 1"
equivalent second-use-program scene/Light.cpp $'useProgram(*program);\n    useProgram(*program);' 'useProgram(*program);' "the light's second useProgram dropped" \
    "the second call finds the program current in the cache and makes no GL call"
equivalent wave-map-order app/SceneAssembly.cpp $'files.push_back({false, "", sceneFiles::waveMap});\n    files.push_back({true, modelDirectory, sceneFiles::waterPlane.file});' $'files.push_back({true, modelDirectory, sceneFiles::waterPlane.file});\n    files.push_back({false, "", sceneFiles::waveMap});' "the wave map read ahead after the water's model" \
    "the scene takes the water's model after the wave map, so the reader's part for the map is passed over and the map decoded in a child of its own: only the start-up's time changes"
equivalent texcoord-components gl/VertexArrayObject.cpp '{4, 2, offsetof(Vertex, texCoord), 4},' '{4, 3, offsetof(Vertex, texCoord), 4},' "texture coordinate read with three components" \
    "every shader declares in_TextCord a vec2, and GL drops the components a vec2 does not take"

scratch=build-mutants
tree=$scratch/tree
build=$tree/build
logs=$scratch/logs
stage_names=("unit and GL tests" "program tests" "bad-data program runs")
stage_targets=("okv_unit_tests okv_gl_tests" "okv_program_tests" "okv_program_tests")
# By the tests' labels (tests/CMakeLists.txt).
stage_filters=("-L unit|gl|shaders" "-L program|softpipe" "-L bad-data")

# How often ORIGINAL occurs in FILE (0 when the file is gone).
occurrences() {
    [ -f "$1" ] || { echo 0; return; }
    ORIGINAL=$2 perl -0777 -ne 'my $n = () = /\Q$ENV{ORIGINAL}\E/g; print $n' "$1"
}

# Prints one slip's line: its kind, name and file, then what follows.
report() {
    printf '%-14s %-20s %s: %s\n' "$1" "${names[$2]}" "${files[$2]}" "$3"
}

anchors_missing=0
check_anchor() {
    local count
    count=$(occurrences "${files[$1]}" "${originals[$1]}")
    [ "$count" = 1 ] && return
    local text=${originals[$1]}
    report ANCHOR-MISSING "$1" "THE SLIP'S TEXT OCCURS $count TIMES, NOT ONCE: \"${text//$'\n'/\\n}\""
    anchors_missing=$((anchors_missing + 1))
    return 1
}

list_slips() {
    local i
    for i in "${!names[@]}"; do
        if check_anchor "$i"; then
            report "$([ -n "${reasons[$i]}" ] && echo equivalent || echo slip)" "$i" "${descriptions[$i]}"
        fi
    done
    echo "${#names[@]} slips, $anchors_missing with missing text"
    [ "$anchors_missing" = 0 ]
}

# The scratch tree follows the working tree (tracked and untracked, not ignored files); only
# changed files are copied, so the build after it stays incremental.
sync_tree() {
    local file
    mkdir -p "$tree"
    git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
        [ -f "$file" ] || continue
        if ! cmp -s "$file" "$tree/$file"; then
            mkdir -p "$(dirname "$tree/$file")"
            cp "$file" "$tree/$file"
        fi
    done
    (cd "$tree" && find . -path ./build -prune -o -type f -print) | sed 's|^\./||' | while IFS= read -r file; do
        [ -f "$file" ] || rm -f "$tree/$file"
    done
}

# Builds and runs the stages in order until one has a failing test. Sets failed (the failing
# tests), stopped_at (the stage that failed) and build_failed.
run_suite() {
    local log=$1 stage output
    failed="" stopped_at="" build_failed=""
    for stage in 0 1 2; do
        # shellcheck disable=SC2086
        if ! cmake --build "$build" -j"$(nproc)" --target ${stage_targets[$stage]} >>"$log" 2>&1; then
            build_failed=yes
            return
        fi
        # shellcheck disable=SC2086
        output=$(ctest --test-dir "$build" -j"$(nproc)" --timeout 300 ${stage_filters[$stage]} 2>&1) || true
        echo "$output" >>"$log"
        # A test that skipped counts as failed: the run gives every test a display, so a skip
        # means that the slip kept the test from running.
        failed=$(echo "$output" | sed -nE '/The following tests (FAILED|did not run):/,$p' | grep -E '^\s+[0-9]+ - ' |
            sed -E 's/^\s+[0-9]+ - (.*) \((.*)\)$/\1 (\2)/; s/ \(Failed\)$//' | paste -sd, - | sed 's/,/, /g' || true)
        if [ -n "$failed" ]; then
            stopped_at=$stage
            return
        fi
    done
}

# Applies slip i to the scratch tree, runs the suite and puts the original text back; the next
# build recompiles it (a cache hit with ccache).
try_slip() {
    local i=$1 started=$SECONDS log=$logs/${names[$1]}.log later=""
    : >"$log"
    ORIGINAL=${originals[$i]} REPLACEMENT=${replacements[$i]} \
        perl -0777 -pi -e 's/\Q$ENV{ORIGINAL}\E/$ENV{REPLACEMENT}/' "$tree/${files[$i]}"
    run_suite "$log"
    cp "${files[$i]}" "$tree/${files[$i]}"
    local seconds=$((SECONDS - started))
    if [ -n "$build_failed" ]; then
        not_built=$((not_built + 1))
        report NOT-BUILT "$i" "${descriptions[$i]}; DOES NOT BUILD, see $log ($seconds s)"
    elif [ -n "$failed" ]; then
        caught=$((caught + 1))
        [ "$stopped_at" -lt 2 ] && later="; stages after the ${stage_names[$stopped_at]} not run"
        report caught "$i" "${descriptions[$i]}; caught by $failed$later ($seconds s)"
    else
        missed=$((missed + 1))
        report MISSED "$i" "${descriptions[$i]}; MISSED, every test passed ($seconds s)"
    fi
}

main() {
    [ "${1:-}" = "--list" ] && { list_slips; return; }
    local name i started=$SECONDS total=0
    for name in "$@"; do
        printf '%s\n' "${names[@]}" | grep -qx -- "$name" || { echo "No slip named $name" >&2; return 2; }
    done

    scripts/install-dependencies.sh
    source scripts/virtual-display.sh
    sync_tree
    mkdir -p "$logs"
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "${launcher[@]}" >"$logs/configure.log" 2>&1
    echo "Baseline: building the unchanged scratch tree and running the whole suite on it"
    run_suite "$logs/baseline.log"
    if [ -n "$build_failed" ] || [ -n "$failed" ]; then
        echo "The unchanged tree ${build_failed:+does not build}${failed:+fails: $failed}; see $logs/baseline.log" >&2
        return 1
    fi
    echo "Baseline passes ($((SECONDS - started)) s)"

    caught=0 missed=0 not_built=0
    local equivalents=0
    for i in "${!names[@]}"; do
        [ $# = 0 ] || printf '%s\n' "$@" | grep -qx -- "${names[$i]}" || continue
        total=$((total + 1))
        check_anchor "$i" || continue
        if [ -n "${reasons[$i]}" ]; then
            equivalents=$((equivalents + 1))
            report equivalent "$i" "${descriptions[$i]}; not run: ${reasons[$i]}"
        else
            try_slip "$i"
        fi
    done

    local run=$((caught + missed))
    echo "Total: $total slips: $caught caught, $missed missed, $equivalents equivalent, $anchors_missing with" \
        "missing text, $not_built not built; $([ "$run" -gt 0 ] && echo "$((100 * caught / run))%" || echo "none")" \
        "of the non-equivalent slips run caught; $((SECONDS - started)) s in all"
    [ "$missed" = 0 ] && [ "$anchors_missing" = 0 ] && [ "$not_built" = 0 ]
}

# On one line, so that bash has read all of it before it runs: the slip list may be edited
# while a run goes on.
main "$@"; exit
