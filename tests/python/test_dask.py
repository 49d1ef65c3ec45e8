"""quillon.dask on a real scheduler: a LocalCluster of two worker processes converts a
CSV of 2 000 000 points read in partitions, with parameters estimated once on the
client, and gets exactly what one process gets for the whole table."""

import numpy as np
import pandas as pd
import pytest

import dask
import dask.dataframe as dd
from dask.distributed import Client, LocalCluster

import quillon
import quillon.dask

POINTS = 2_000_000


@pytest.fixture(scope="module")
def client():
    # Dask gives up on a connection after 30 s by default; on a loaded machine the
    # worker processes may take longer to start or answer. These limits only stop
    # a cluster that is broken.
    with dask.config.set({"distributed.comm.timeouts.connect": "600s",
                          "distributed.comm.timeouts.tcp": "600s"}), \
         LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                      memory_limit="3GiB") as cluster, Client(cluster) as c:
        yield c


@pytest.fixture(scope="module")
def csv(tmp_path_factory):
    """ED50 UTM zone 30 points over Andalusia, x, y, h with 3 decimals."""
    rng = np.random.default_rng(16)
    table = pd.DataFrame({
        "id": np.arange(1, POINTS + 1),
        "x": np.round(rng.uniform(100000, 620000, POINTS), 3),
        "y": np.round(rng.uniform(3970000, 4290000, POINTS), 3),
        "h": np.round(rng.uniform(0, 3400, POINTS), 3),
    })
    path = tmp_path_factory.mktemp("dask") / "puntos.csv"
    table.to_csv(path, index=False)
    return path


def test_cluster_result_equals_one_process(client, csv):
    table = dd.read_csv(csv, blocksize="8MiB")
    assert table.npartitions >= 6
    # A local fit around the centre of all the data, found by the cluster.
    moved = quillon.dask.transformar(table, columnas=("x", "y", "h"), origen=("ED50", "utm", 30),
                                     destino=("ETRS89", "utm", 30), parametros="vecinos", seleccion=8)
    result = moved.compute()
    assert len(client.scheduler_info()["workers"]) == 2

    whole = pd.read_csv(csv)
    points = whole[["x", "y", "h"]].to_numpy()
    centre = quillon.centro(points, ("ED50", "utm", 30))
    alone = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30), parametros="vecinos",
                                   seleccion=8, centro=centre)
    expected, status = alone.transformar(points)
    assert (status == 0).all()
    assert list(result.columns) == ["id", "x", "y", "h", "estado"]
    np.testing.assert_array_equal(result["id"].to_numpy(), whole["id"].to_numpy())
    assert result[["x", "y", "h"]].to_numpy().tobytes() == expected.tobytes()
    assert (result["estado"].to_numpy() == 0).all()


def test_partitions_keep_their_statuses_and_new_columns(client):
    frame = pd.DataFrame({
        "x": [235171.041, np.nan, 742263.065, 343622.117],
        "y": [4142124.422, 4142124.422, 4046306.479, 4194099.358],
        "h": [42.0, 1.0, 12.0, 120.0],
        "huso": [30.0, 30.0, 29.0, 31.5],
    })
    table = dd.from_pandas(frame, npartitions=2)
    t = quillon.Transformacion(("ED50", "utm"), ("ETRS89", "utm"))
    moved = quillon.dask.transformar(table, columnas=("x", "y", "h", "huso"), transformacion=t,
                                     columnas_salida=("xe", "ye", "he", "husoe")).compute()
    expected, status = t.transformar(frame.to_numpy())
    np.testing.assert_array_equal(moved["estado"].to_numpy(), status)
    assert list(status) == [quillon.Estado.TRANSFORMADO, quillon.Estado.NO_FINITO,
                            quillon.Estado.TRANSFORMADO, quillon.Estado.HUSO_NO_VALIDO]
    np.testing.assert_array_equal(moved[["xe", "ye", "he", "husoe"]].to_numpy(), expected)
    np.testing.assert_array_equal(moved["x"].to_numpy(), frame["x"].to_numpy())  # inputs kept


@pytest.mark.parametrize("option,value", [("parametros", "regionales"), ("seleccion", 5),
                                          ("centro", (370000, 4150000)), ("modelo", "afin"),
                                          ("solo_region", False), ("destino", ("ETRS89", "geodesicas"))])
def test_options_beside_a_ready_transformation_are_refused(option, value):
    table = dd.from_pandas(pd.DataFrame({"x": [235171.041], "y": [4142124.422], "h": [42.0]}),
                           npartitions=1)
    t = quillon.Transformacion(("ED50", "utm", 30), ("ETRS89", "utm", 30))
    with pytest.raises(ValueError, match=option):
        quillon.dask.transformar(table, transformacion=t, **{option: value})


@pytest.mark.parametrize("far_first", [False, True])
def test_centre_of_partitions_with_different_extents(far_first):
    """The centre of the rectangle around the points of all the partitions is that of
    the whole table, whichever partition holds the largest and the smallest values."""
    near = pd.DataFrame({"x": [150000.0, 180000.0, 120000.0],
                         "y": [4200000.0, 4250000.0, 4230000.0], "h": [0.0, 0.0, 0.0]})
    far = pd.DataFrame({"x": [410000.0, 560000.0, 330000.0],
                        "y": [4010000.0, 4080000.0, 3990000.0], "h": [0.0, 0.0, 0.0]})
    frame = pd.concat([far, near] if far_first else [near, far], ignore_index=True)
    table = dd.from_pandas(frame, npartitions=2)
    assert [len(table.get_partition(k).compute()) for k in range(2)] == [3, 3]
    x, y = frame["x"].to_numpy(), frame["y"].to_numpy()
    expected = ((np.min(x) + np.max(x)) / 2, (np.min(y) + np.max(y)) / 2)  # (340000, 4120000)
    centre = quillon.dask.centro(table, ("x", "y", "h"), ("ED50", "utm", 30))
    # The engine takes each point through geodetic coordinates and back into zone
    # 30: millimetres off at 380 km from the central meridian.
    assert centre == pytest.approx(expected, abs=0.01)
    assert centre == quillon.centro(frame.to_numpy(), ("ED50", "utm", 30))


@pytest.mark.parametrize("in_memory", [True, False])
def test_pandas_and_dask_tables_keep_the_input_of_rows_not_transformed(in_memory):
    table = pd.DataFrame({"x": [235171.041, 1e7, 447905.82, 372100.5],
                          "y": [4142124.422, 4100000.0, 4114776.525, 4400000.0],
                          "h": [42.0, 1.0, 760.0, 3.0], "nombre": list("abcd")})
    given = table if in_memory else dd.from_pandas(table, npartitions=2)
    result = quillon.dask.transformar(given, parametros="nearest", seleccion=5)
    result = result if in_memory else result.compute()
    assert isinstance(result, pd.DataFrame)
    assert list(result["estado"]) == [0, quillon.Estado.FUERA_DE_DOMINIO, 0, quillon.Estado.FUERA_DE_REGION]
    failed = result["estado"] != 0
    pd.testing.assert_frame_equal(result.loc[failed, ["x", "y", "h", "nombre"]],
                                  table.loc[failed, ["x", "y", "h", "nombre"]])
    t = quillon.Transformacion("EPSG:23030", "EPSG:25830", parametros="vecinos", seleccion=5,
                               centro=quillon.centro(table[["x", "y", "h"]].to_numpy(), "EPSG:23030"))
    expected, _ = t.transformar(table.loc[~failed, ["x", "y", "h"]].to_numpy())
    np.testing.assert_array_equal(result.loc[~failed, ["x", "y", "h"]].to_numpy(), expected)


@pytest.mark.parametrize("in_memory", [True, False])
def test_separate_series_come_back_as_series_of_their_kind(in_memory):
    table = pd.DataFrame({"este": [235171.041, 1e7, 447905.82], "norte": [4142124.422, 4100000.0, 4114776.525]},
                         index=[7, 8, 9])
    given = table if in_memory else dd.from_pandas(table, npartitions=2)
    *coordinates, status = quillon.dask.transformar((given["este"], given["norte"]))
    assert all(isinstance(c, type(given["este"])) for c in (*coordinates, status))
    if not in_memory:
        coordinates, status = [c.compute() for c in coordinates], status.compute()
    assert [c.name for c in coordinates] == ["este", "norte"] and list(status.index) == [7, 8, 9]
    expected, expected_status = quillon.Transformacion("EPSG:23030", "EPSG:25830").transformar(
        table.to_numpy())
    assert list(status) == list(expected_status) == [0, quillon.Estado.FUERA_DE_DOMINIO, 0]
    ok = expected_status == 0
    np.testing.assert_array_equal(np.column_stack(coordinates)[ok], expected[ok])
    np.testing.assert_array_equal(np.column_stack(coordinates)[~ok], table.to_numpy()[~ok])
