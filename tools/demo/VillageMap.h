#pragma once

#include "map/Feature.h"

#include <QString>
#include <vector>

/**
 * The shapes of the demonstration village: an irregular boundary, districts that tile it
 * along its streets, functional-use parcels inside the districts with the street strips
 * between them, soil regions and local-factor regions. Built only from the sizes, so the
 * same sizes always give the same shapes; shared edges of neighbours are bit-identical.
 */
struct VillageMap {
    /** A valuation district. */
    struct District {
        int number = 0;    ///< 1..n, numbered from the centre outwards
        int zone = 0;      ///< 1 centre, 2 middle ring, 3 outskirts
        Feature shape;     ///< its region (no fields yet)
        Feature interior;  ///< the district less its street strip (empty when none)
        double areaM2 = 0; ///< area of the region in square metres
    };
    /** A functional-use parcel or street strip. */
    struct Parcel {
        QString code;     ///< functional-use code ("Ж", "Д", ...)
        int district = 0; ///< district number it lies in (0 for merged groups)
        Feature shape;
        double areaM2 = 0;
    };
    /** A region of a local factor layer. */
    struct LocalRegion {
        int district = 0; ///< the district it lies in
        Feature shape;
    };

    Feature boundary;
    double boundaryAreaM2 = 0;
    std::vector<District> districts; ///< in number order
    std::vector<Parcel> parcels;
    std::vector<Feature> soils; ///< four soil regions tiling the boundary
    /** Three regions per local-factor layer, in the order of demo::localLayers(). */
    std::vector<std::vector<LocalRegion>> local;
};

/**
 * Builds the village of `districts` districts (1..999) and `functional` functional-use
 * regions (at least 1). With fewer regions than districts, neighbouring districts share one.
 */
VillageMap BuildVillageMap(int districts, int functional);
