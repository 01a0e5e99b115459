// The kinds of comparison a device list column sorts by, and the two
// directions.
#pragma once

enum _eTipoOrdenacion
{
    // Not sortable by the user: a header click does nothing and the order
    // dialog does not offer the column.
    TIPO_ORDENACION_NINGUNA = 0,
    // Decimal numbers at the start of the text ("10" after "9", "abc" is 0).
    TIPO_ORDENACION_NUMERO = 1,
    // Text, compared without regard to case.
    TIPO_ORDENACION_TEXTO = 2,
    // Date and time, with the digits after a '.' as the finer part.
    TIPO_ORDENACION_FECHA = 3
};

enum _eOrdenEnumeracion
{
    ORDEN_ASCENDENTE = 0,
    ORDEN_DESCENDENTE = 1
};
