#pragma once

// Three doubles with the usual vector arithmetic, passed by value.
class Vector3 {
public:
    Vector3() = default;
    Vector3(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue) {}
    Vector3(const Vector3&) = default;
    Vector3& operator=(const Vector3&) = default;
    virtual ~Vector3() = default;

    Vector3 operator+(const Vector3& other) const { return {x + other.x, y + other.y, z + other.z}; }
    Vector3 operator-(const Vector3& other) const { return {x - other.x, y - other.y, z - other.z}; }
    Vector3 operator*(double factor) const { return {x * factor, y * factor, z * factor}; }
    Vector3 operator/(double divisor) const { return {x / divisor, y / divisor, z / divisor}; }

    double Length() const;
    // The zero vector (and one without a finite length) gives the zero
    // vector, so a camera aimed along it stays finite.
    Vector3 Normalized() const;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
